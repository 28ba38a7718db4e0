#pragma once
#include <QString>

namespace kva {

// Decimal text to integer: optional leading blanks, optional sign, digits, nothing after.
// Anything else throws ConversionError "'<text>' is not a valid integer value".
int strToInt(const QString& text);

} // namespace kva
