#pragma once
#include <QChar>
#include <QtGlobal>

// What a phone shows for the septets of the GSM 7-bit default alphabet (3GPP TS 23.038 6.2.1):
// the other half of GsmCharTable, which says which septets a Windows-1250 code is sent as.

namespace kva {

// The character of one septet of the default alphabet (only the low seven bits count). Septet
// 0x1B is the escape; on its own it is shown as a blank.
QChar GsmDisplayChar(quint8 septet);

// The character of the septet that follows an escape (the extension table). A septet the
// extension table does not hold is shown as its default-alphabet character, as TS 23.038 asks
// of the receiving phone.
QChar GsmEscapedDisplayChar(quint8 septet);

} // namespace kva
