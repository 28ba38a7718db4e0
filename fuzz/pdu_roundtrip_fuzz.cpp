// Every message the encoder can build decodes back to the same fields and text: addresses,
// first octet, validity period, header and the text as the character table maps it both ways.
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "PDU.h"
#include "SevenBit.h"

#include <algorithm>

using namespace kva;
using kva::fuzz::check;

namespace {

// Reads the fuzz input front to back; zeros once it is used up.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    quint8 byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    QByteArray digits(int count)
    {
        QByteArray out;
        for (int i = 0; i < count; ++i)
            out.append(static_cast<char>('0' + byte() % 10));
        return out;
    }
    QByteArray rest()
    {
        QByteArray out = fuzz::bytesOf(data_ + pos_, size_ - std::min(pos_, size_));
        pos_ = size_;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

QByteArray number(Input& in)
{
    const quint8 shape = in.byte();
    QByteArray n = in.digits((shape & 0x7F) % 21);
    if ((shape & 0x80) && !n.isEmpty()) // "+" alone is no number the window sends
        n.prepend('+');
    return n;
}

bool isHexText(const QByteArray& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

int validityOctets(quint8 firstOctet)
{
    const int format = firstOctet & 0x18;
    return format == 0x10 ? 1 : format == 0 ? 0 : 7;
}

// Septets a header of n octets takes with its length octet and fill bits.
int headerSeptets(int n)
{
    return ((n + 1) * 8 + 6) / 7;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const quint8 shape = in.byte();
    const int coding = (shape & 0x03) == 3 ? 0 : shape & 0x03; // 0 7-bit, 1 8-bit, 2 UCS2
    const int selector = (shape >> 5) % 3;

    TPduMessage message;
    message.SmscType = in.byte() & 0x0F; // numbering plan; the type of number comes from "+"
    message.SmscNumber = number(in);
    message.FirstOctet = in.byte() & 0x18; // validity-period format only
    message.MessageRef = in.byte();
    message.DestType = in.byte() & 0x0F;
    message.DestNumber = number(in);
    message.ProtocolId = in.byte();
    message.DataCoding = static_cast<quint8>((in.byte() & 0xF3) | (coding << 2));
    for (quint8& octet : message.ValidityPeriod)
        octet = in.byte();
    if (shape & 0x04) {
        const int length = 1 + in.byte() % 7;
        for (int i = 0; i < length; ++i)
            message.UserDataHeader.append(static_cast<char>(in.byte()));
    }
    const int headerOctets = message.UserDataHeader.isEmpty() ? 0 : message.UserDataHeader.size() + 1;

    // Texts the one-octet length can announce; the window keeps them far shorter.
    QByteArray raw = in.rest();
    QString text;
    if (coding == 2) {
        raw.truncate(std::max(0, 255 - headerOctets) / 2 * 2);
        for (int i = 0; i + 1 < raw.size(); i += 2)
            text.append(QChar(static_cast<char16_t>(static_cast<quint8>(raw[i]) << 8 | static_cast<quint8>(raw[i + 1]))));
    } else if (coding == 1) {
        text = fromCp1250(raw.left(255 - headerOctets));
    } else {
        const int room = 255 - (headerOctets ? headerSeptets(message.UserDataHeader.size()) : 0);
        while (MapToGsm(selector, raw).size() > room)
            raw.chop(1);
        text = fromCp1250(raw);
    }
    message.MessageText = text;

    TPduMessage sent = message;
    const quint16 tpduLength = EncodeSubmit(sent, selector);
    const QByteArray pdu = sent.PduText;
    check(pdu.size() % 2 == 0 && isHexText(pdu), "PDU is not whole hex octets");
    const int smscOctets = HexToByte(pdu.left(2));
    check(tpduLength == pdu.size() / 2 - 1 - smscOctets, "TPDU length is not the octets after the SMS-centre field");

    TPduMessage back;
    back.PduText = pdu;
    DecodePdu(back, selector);
    const auto typeOf = [](quint8 plan, const QByteArray& n) {
        return static_cast<quint8>(plan | 0x80 | (n.startsWith('+') ? 0x10 : 0));
    };
    check(back.SmscNumber == message.SmscNumber, "SMS-centre number does not decode back");
    if (!message.SmscNumber.isEmpty())
        check(back.SmscType == typeOf(message.SmscType, message.SmscNumber), "SMS-centre type does not decode back");
    check(back.DestNumber == message.DestNumber, "destination does not decode back");
    check(back.DestType == typeOf(message.DestType, message.DestNumber), "destination type does not decode back");
    check(back.FirstOctet == (message.FirstOctet | (message.UserDataHeader.isEmpty() ? 0x01 : 0x41)),
          "first octet does not decode back");
    check(back.MessageRef == message.MessageRef && back.ProtocolId == message.ProtocolId,
          "message reference or protocol identifier does not decode back");
    check(back.DataCoding == (message.DataCoding & ~0x20), "data coding does not decode back");
    const int validity = validityOctets(message.FirstOctet);
    check(std::equal(back.ValidityPeriod.begin(), back.ValidityPeriod.begin() + validity, message.ValidityPeriod.begin()),
          "validity period does not decode back");
    check(back.UserDataHeader == message.UserDataHeader, "user-data header does not decode back");

    QString expected = text;
    if (coding == 0)
        expected = fromCp1250(fuzz::sevenBitRoundTrip(selector, toCp1250(text)));
    check(back.MessageText == expected, "text does not decode back");
    return 0;
}
