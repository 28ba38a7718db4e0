// A PDU as a phone answers AT+CMGR with it: any text decodes without reading past its end, the
// fields stay within what their length octets can announce, and decoding is repeatable.
#include "FuzzSupport.h"
#include "PDU.h"

using namespace kva;
using kva::fuzz::check;

namespace {

bool isHexText(const QByteArray& text)
{
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

bool sameRecord(const TPduMessage& a, const TPduMessage& b)
{
    return a.SmscType == b.SmscType && a.SmscNumber == b.SmscNumber && a.FirstOctet == b.FirstOctet &&
           a.MessageRef == b.MessageRef && a.OrigType == b.OrigType && a.DestType == b.DestType &&
           a.OrigNumber == b.OrigNumber && a.DestNumber == b.DestNumber && a.ProtocolId == b.ProtocolId &&
           a.DataCoding == b.DataCoding && a.TimeStamp == b.TimeStamp && a.ValidityPeriod == b.ValidityPeriod &&
           a.UserDataHeader == b.UserDataHeader && a.PduText == b.PduText && a.MessageText == b.MessageText;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the character-set selector ("0", "1", "2"; "3" is out of range and
    // counts as 2), the rest is the PDU text.
    const int selector = size > 0 ? data[0] % 4 : 2;
    const QByteArray pdu = size > 0 ? fuzz::bytesOf(data + 1, size - 1) : QByteArray();

    TPduMessage parsed;
    parsed.PduText = pdu;
    const QByteArray userData = ParsePdu(parsed);
    check(parsed.PduText == pdu, "ParsePdu changed the PDU text");
    // User data is the rest of the text after a length octet; with a header the length octet is
    // rebuilt, so the rest is exactly what follows the header.
    check(userData.size() <= pdu.size() + 2, "user data longer than the PDU");
    if (parsed.FirstOctet & 0x40)
        check(userData.size() >= 2 && isHexText(userData.left(2)), "rebuilt user-data length is not hex");
    // Address lengths are one octet: at most 254 octets of SMS-centre digits, 255 semi-octets of
    // destination or originator, plus "+".
    check(parsed.SmscNumber.size() <= 2 * 254 + 1, "SMS-centre number longer than its length octet allows");
    check(parsed.DestNumber.size() <= 256 && parsed.OrigNumber.size() <= 256,
          "address longer than its length octet allows");
    check(parsed.UserDataHeader.size() <= 255, "user-data header longer than its length octet allows");
    for (quint8 field : parsed.TimeStamp)
        check(field <= 15 * 10 + 15, "time-stamp field above two semi-octets");

    TPduMessage decoded;
    decoded.PduText = pdu;
    decoded.MessageText = QStringLiteral("unchanged");
    DecodePdu(decoded, selector);
    switch (decoded.DataCoding & 0x0C) {
    case 0x00:
        // 255 septets at most, and an escape pair gives one character.
        check(decoded.MessageText.size() <= 255, "7-bit text longer than 255 septets");
        break;
    case 0x04:
        check(decoded.MessageText.size() <= 255, "8-bit text longer than 255 octets");
        break;
    case 0x08:
        check(decoded.MessageText.size() <= 127, "UCS2 text longer than 255 octets");
        break;
    default:
        check(decoded.MessageText == QStringLiteral("unchanged"), "reserved coding changed the text");
        break;
    }
    check(decoded.DestNumber == parsed.DestNumber && decoded.SmscNumber == parsed.SmscNumber,
          "DecodePdu and ParsePdu read different fields");

    TPduMessage twice;
    twice.PduText = pdu;
    twice.MessageText = QStringLiteral("unchanged");
    DecodePdu(twice, selector);
    check(sameRecord(decoded, twice), "decoding the same PDU twice differs");
    return 0;
}
