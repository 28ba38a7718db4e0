#pragma once
#include "PDU.h"

namespace kva::fuzz {

// What 7-bit text comes back as: the table's septets, each cut to seven bits by the packing (a
// code without a GSM form goes out as 0x7F), read back by the lowest-code rule.
inline QByteArray sevenBitRoundTrip(int selector, const QByteArray& text)
{
    QByteArray septets = MapToGsm(selector, text);
    for (char& s : septets)
        s = static_cast<char>(s & 0x7F);
    return MapFromGsm(selector, septets);
}

} // namespace kva::fuzz
