#pragma once
#include "SmsSet.h"

#include <ostream>

namespace kva::sms {
// Readable pairs in GoogleTest failure messages.
inline void PrintTo(const Pair& p, std::ostream* os)
{
    *os << '{' << p.number.toStdString() << " | " << p.text.toStdString() << '}';
}
} // namespace kva::sms
