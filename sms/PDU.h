#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// SMS PDU codec: builds an SMS-SUBMIT PDU as the hexadecimal text that AT+CMGW takes in PDU
// mode and decodes the hexadecimal PDU that AT+CMGR returns (3GPP TS 23.040 for the TPDU,
// TS 23.038 for the 7-bit default alphabet). Numbers, header and PDU text are 8-bit
// Windows-1250 bytes; only MessageText is wide text, converted through text/ at the edges.
// The module keeps no state; every call works on the record it is given and is thread-safe.

namespace kva {

// One SMS in either direction.
struct TPduMessage {
    quint8 SmscType = 0;       // encode: numbering plan (0x01); decode: the type octet as received
    QByteArray SmscNumber;     // "+" first for an international number
    quint8 FirstOctet = 0;     // bit 0: SMS-SUBMIT; 0x18: validity-period format; 0x40: header
    quint8 MessageRef = 0;     // TP-MR
    quint8 OrigType = 0;       // type octet of the originating address (received messages)
    quint8 DestType = 0;       // encode: numbering plan of the destination; decode: type octet
    QByteArray OrigNumber;     // filled when FirstOctet has bit 0 clear
    QByteArray DestNumber;     // filled when FirstOctet has bit 0 set
    quint8 ProtocolId = 0;     // TP-PID
    quint8 DataCoding = 0;     // TP-DCS; & 0x0C: 0x00 7-bit, 0x04 8-bit, 0x08 UCS2
    // Service-centre time stamp: year, month, day, hour, minute, second, zone in quarter hours,
    // each the decimal value of its two swapped semi-octets. A semi-octet above 9 counts at its
    // value, so the zone's sign bit (TS 23.040 9.2.3.11) shows as 80 added: 80+ is west of GMT.
    std::array<quint8, 7> TimeStamp{};
    std::array<quint8, 7> ValidityPeriod{}; // as many octets used as FirstOctet & 0x18 says
    QByteArray UserDataHeader; // header octets without their length octet; empty means none
    QByteArray PduText;        // the whole PDU in hex: output of encoding, input of decoding
    QString MessageText;
};

// The septets each 8-bit Windows-1250 code is sent as, per selector 0, 1 and 2 (the SMS window
// uses 2). An entry below 0x100 is one septet, 0x1Bxx the escape pair 0x1B 0xxx of the
// extension table, and 0x00FF marks a code without a GSM form (sent as septet 0x7F).
extern const quint16 GsmCharTable[3][256];
constexpr quint16 GsmNoForm = 0x00FF;

enum class PackDirection { Pack, Unpack };

// Two lower-case hex digits ("%.2x").
QByteArray ByteToHex(quint8 value);

// The first two characters read as a hexadecimal number, either case. A character that is not
// a hex digit counts as 0; an empty text gives 0, one character its single digit.
int HexToByte(const QByteArray& text);

// The last eight characters, most significant bit first; "1" sets a bit, anything else clears it.
quint8 BinTextToByte(const QByteArray& text);

// Exchanges the characters of every pair; a lone last character stays where it is.
QByteArray SwapDigitPairs(const QByteArray& text);

// One address field in hex. Destination form: digit count, type octet, swapped digits;
// SMS-centre form: octet count after the length, type octet, swapped digits (empty: "00").
QByteArray EncodeAddress(const QByteArray& number, quint8 plan, bool destinationForm);

// The SMS-centre field and the TPDU up to and including the validity period (everything before
// TP-UDL), and how many characters of the text are the SMS-centre field.
struct TPduHeader {
    QByteArray Text;
    int SmscChars = 0;
};
TPduHeader EncodeHeader(const TPduMessage& message);

// Table look-ups. MapToGsm gives the septets of every code (0xFF for a code without a GSM
// form); MapFromGsm turns septets back into codes by the lowest code whose entry equals a one-
// or two-septet sequence and drops sequences that no entry equals. A selector outside 0..2
// counts as 2.
QByteArray MapToGsm(int selector, const QByteArray& text);
QByteArray MapFromGsm(int selector, const QByteArray& septets);

// Pack: 8-bit text to hex user data: TP-UDL, then (when header is not empty) the header length,
// the header and fill bits up to a septet boundary, then the packed septets.
// Unpack: hex user data as ParsePdu returns it (length octet = septets of the text alone, then
// the octets after the header) to 8-bit text; a non-empty header means the octets begin with
// the fill bits that follow a header of that many octets.
QByteArray PackSeptets(int selector, PackDirection direction, const QByteArray& header,
                       const QByteArray& text);

// The septets of 7-bit user data without a header, as PackSeptets packs it: TP-UDL, then the
// packed octets. As many septets as TP-UDL says; octets missing from the text count as zero.
QByteArray UnpackSeptets(const QByteArray& userData);

// Builds the whole PDU into message.PduText and returns the TPDU length, the number of octets
// after the SMS-centre field (the length AT+CMGW= takes). DataCoding & 0x0C selects 8-bit
// (Windows-1250 octets) or UCS2 (UTF-16 high octet first) user data; anything else is 7-bit.
quint16 EncodeSubmit(TPduMessage& message, int selector);

// Splits message.PduText into the record's fields and returns the user data in hex, beginning
// with its length octet. Never reads past the end of PduText: missing octets and characters that
// are not hex digits count as zero. An alphanumeric originator or destination (type of number
// 101) is read as packed GSM text with selector 2 instead of as digits.
QByteArray ParsePdu(TPduMessage& message);

// ParsePdu, then the text into MessageText (left unchanged for coding 0x0C).
void DecodePdu(TPduMessage& message, int selector);

} // namespace kva
