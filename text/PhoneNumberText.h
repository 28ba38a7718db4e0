#pragma once
#include <QString>

namespace kva {

// "+" and twelve ASCII digits, as the alarm dials and as a PDU address can carry it. Anything
// else ("+42060312345x", blanks, letters) would be packed into the PDU or sent to the phone book
// as it stands and never reach anybody.
bool isInternationalNumber(const QString& number);

} // namespace kva
