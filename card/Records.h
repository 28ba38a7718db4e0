#pragma once
// The bytes of the SIM's records: phone-book entries (EF_ADN) and messages (EF_SMS).
//
// A phone-book record of 14 + X bytes: the name in X bytes (GSM 7-bit default alphabet, one
// character a byte, padded with FF; a name with letters outside that alphabet as 80 and UCS-2),
// the length of TON/NPI and digits, TON/NPI (91 for "+…", 81 otherwise), ten bytes of BCD
// digits low nibble first (* = A, # = B, padded with F), then FF FF. A free record is all FF.
//
// A message record of 176 bytes: the status (07 "to be sent" for what the alarm stores, 00 free),
// then the PDU as the phone path stores it (service-centre field and TPDU), then FF.
#include "CardChannel.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kva::card {

constexpr int SmsRecordLength = 176;

struct AdnEntry {
    QString name;
    QString number; // "+" first for an international number
};

// The record for an entry; throws CardError when the name does not fit X bytes or the number
// has characters other than digits, *, # and a leading +, or more than 20 digits.
QByteArray encodeAdn(const AdnEntry& entry, int recordLength);
// The entry a record holds, none for a free record (all FF, or no digits and no name).
std::optional<AdnEntry> decodeAdn(const QByteArray& record);
// The free record: all FF.
QByteArray freeAdn(int recordLength);

// The record for a PDU in hexadecimal (service-centre field and TPDU, either case), status 07.
// Throws CardError when the text is not hexadecimal or the PDU does not fit.
QByteArray encodeSms(const QByteArray& pduText);
// The PDU of a record in upper-case hexadecimal, without the status byte and the padding; empty
// for a free record (status 00, or bit 0 clear). The PDU's length is read from its TPDU; a TPDU
// of a kind not understood ends before the trailing FF bytes.
QByteArray decodeSms(const QByteArray& record);
// The free record: 00 and 175 × FF.
QByteArray freeSms();

// The GSM 7-bit default alphabet: the byte of a character, none when it has no form there.
std::optional<quint8> gsmByte(QChar c);
QChar gsmChar(quint8 byte);

} // namespace kva::card
