#pragma once
#include <QByteArray>
#include <QString>

namespace kva {

// Windows-1250 is the one 8-bit code page of files, AT commands and the PDU codec's 8-bit side.
// The conversion goes through iconv; Qt 6 does not promise this code page.

// A character that Windows-1250 cannot hold becomes '?'.
QByteArray toCp1250(const QString& text);

// Every byte maps to one character, so character positions equal byte positions. The five bytes
// Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) become the C1 control of the same
// value and are written back unchanged, so any byte string survives a round trip.
QString fromCp1250(const QByteArray& bytes);

} // namespace kva
