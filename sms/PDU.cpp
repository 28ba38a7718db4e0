#include "PDU.h"
#include "HexDigit.h"

#include <algorithm>

#include "Cp1250.h"

#include <algorithm>

namespace kva {
namespace {

constexpr quint8 Escape = 0x1B;

int tableIndex(int selector)
{
    return selector >= 0 && selector <= 2 ? selector : 2;
}

// Value of one hex digit; anything else counts as 0 so that no input can stop a decode.
int hexDigit(char c)
{
    return std::max(kva::hexValue(c), 0);
}

quint8 octetAt(const QByteArray& bytes, int index)
{
    return index >= 0 && index < bytes.size() ? static_cast<quint8>(bytes[index]) : 0;
}

char charAt(const QByteArray& text, int index)
{
    return index < text.size() ? text[index] : '0';
}

// Reads hex text front to back. Everything past the end reads as zero or as nothing, so an
// announced length can never lead outside the text.
class HexReader {
public:
    explicit HexReader(const QByteArray& text) : text_(text) {}

    quint8 octet()
    {
        const int value = pos_ < text_.size() ? HexToByte(text_.mid(pos_, 2)) : 0;
        pos_ += 2;
        return static_cast<quint8>(value);
    }

    // `count` octets, zeros where the text has ended.
    QByteArray octets(int count)
    {
        QByteArray out(count, '\0');
        for (int i = 0; i < count; ++i)
            out[i] = static_cast<char>(octet());
        return out;
    }

    // Up to `count` characters as they stand (fewer where the text ends).
    QByteArray chars(int count)
    {
        QByteArray out = pos_ < text_.size() ? text_.mid(pos_, count) : QByteArray();
        pos_ += count;
        return out;
    }

    QByteArray rest() const { return pos_ < text_.size() ? text_.mid(pos_) : QByteArray(); }

private:
    const QByteArray& text_;
    int pos_ = 0;
};

// TS 23.038 6.1.2.1.1: septet i fills bits startBit + 7i .. + 6 of a stream whose bit k is bit
// k mod 8 of octet k / 8, least significant bit first; only the low seven bits of a value count.
void packInto(QByteArray& octets, int startBit, const QByteArray& septets)
{
    const int needed = (startBit + 7 * septets.size() + 7) / 8;
    if (octets.size() < needed)
        octets.append(QByteArray(needed - octets.size(), '\0'));
    for (int i = 0; i < septets.size(); ++i) {
        const int value = static_cast<quint8>(septets[i]) & 0x7F;
        const int bit = startBit + 7 * i;
        const int at = bit / 8;
        const int shift = bit % 8;
        octets[at] = static_cast<char>(octets[at] | (value << shift));
        if (shift > 1)
            octets[at + 1] = static_cast<char>(octets[at + 1] | (value >> (8 - shift)));
    }
}

QByteArray unpackFrom(const QByteArray& octets, int startBit, int count)
{
    QByteArray septets(count, '\0');
    for (int i = 0; i < count; ++i) {
        const int bit = startBit + 7 * i;
        const int at = bit / 8;
        const int shift = bit % 8;
        int value = octetAt(octets, at) >> shift;
        if (shift > 1)
            value |= octetAt(octets, at + 1) << (8 - shift);
        septets[i] = static_cast<char>(value & 0x7F);
    }
    return septets;
}

// Septets taken by a user-data header of `headerOctets` octets plus its length octet, padded
// with fill bits to a septet boundary (TS 23.040 9.2.3.24).
int headerSeptets(int headerOctets)
{
    return ((headerOctets + 1) * 8 + 6) / 7;
}

int fillBits(int headerOctets)
{
    return headerSeptets(headerOctets) * 7 - (headerOctets + 1) * 8;
}

// TP-VP octets by FirstOctet & 0x18: none, enhanced (7), relative (1), absolute (7).
int validityOctets(quint8 firstOctet)
{
    switch (firstOctet & 0x18) {
    case 0x08:
    case 0x18:
        return 7;
    case 0x10:
        return 1;
    default:
        return 0;
    }
}

// Reverse look-up: for every one-septet value and every septet after an escape, the lowest code
// whose table entry equals it, or -1.
struct ReverseTable {
    std::array<qint16, 256> single;
    std::array<qint16, 256> escaped;
};

const ReverseTable& reverseTable(int selector)
{
    static const std::array<ReverseTable, 3> tables = [] {
        std::array<ReverseTable, 3> built{};
        for (int s = 0; s < 3; ++s) {
            built[s].single.fill(-1);
            built[s].escaped.fill(-1);
            for (int code = 255; code >= 0; --code) { // downwards, so the lowest code wins
                const quint16 entry = GsmCharTable[s][code];
                if (entry == GsmNoForm)
                    continue;
                if (entry >> 8 == Escape)
                    built[s].escaped[entry & 0xFF] = static_cast<qint16>(code);
                else
                    built[s].single[entry] = static_cast<qint16>(code);
            }
        }
        return built;
    }();
    return tables[tableIndex(selector)];
}

// Semi-octet digits as the phone stores them: swapped pairwise, "+" for an international type,
// and the filler of an odd count (an F) removed from the end. `count`, when known, is the number
// of digits the length octet announces: a filler that is not an F is dropped too.
QByteArray decodeDigits(const QByteArray& raw, quint8 type, int count = -1)
{
    QByteArray number = SwapDigitPairs(raw);
    if (type & 0x10)
        number.prepend('+');
    if (number.contains('F') || number.contains('f'))
        number.chop(1);
    if (count >= 0)
        number.truncate(count + ((type & 0x10) ? 1 : 0));
    return number;
}

// TS 23.040 9.1.2.5: type of number 101 is an alphanumeric address in packed GSM 7-bit; the
// length counts the semi-octets in use.
bool isAlphanumeric(quint8 type)
{
    return (type & 0x70) == 0x50;
}

QByteArray decodeAlphanumeric(const QByteArray& raw, int semiOctets)
{
    HexReader reader(raw);
    const QByteArray octets = reader.octets((semiOctets + 1) / 2);
    return MapFromGsm(2, unpackFrom(octets, 0, semiOctets * 4 / 7));
}

// 8-bit and UCS2 user data: length in octets, then the header (if any) and the data octets.
QByteArray octetUserData(const QByteArray& header, const QByteArray& data)
{
    QByteArray octets;
    if (!header.isEmpty()) {
        octets.append(static_cast<char>(header.size()));
        octets.append(header);
    }
    octets.append(data);
    return ByteToHex(static_cast<quint8>(octets.size())) + octets.toHex();
}

QByteArray toUcs2(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        out.append(static_cast<char>(c.unicode() >> 8));
        out.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return out;
}

} // namespace

QByteArray ByteToHex(quint8 value)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray out(2, '0');
    out[0] = digits[value >> 4];
    out[1] = digits[value & 0x0F];
    return out;
}

int HexToByte(const QByteArray& text)
{
    int value = 0;
    for (int i = 0; i < std::min<int>(2, text.size()); ++i)
        value = value * 16 + hexDigit(text[i]);
    return value;
}

quint8 BinTextToByte(const QByteArray& text)
{
    // Shifting every character in keeps exactly the last eight.
    unsigned value = 0;
    for (const char c : text)
        value = (value << 1) | (c == '1' ? 1U : 0U);
    return static_cast<quint8>(value);
}

QByteArray SwapDigitPairs(const QByteArray& text)
{
    QByteArray out = text;
    for (int i = 0; i + 1 < out.size(); i += 2)
        std::swap(out[i], out[i + 1]);
    return out;
}

QByteArray EncodeAddress(const QByteArray& number, quint8 plan, bool destinationForm)
{
    quint8 type = plan | 0x80;
    QByteArray digits = number;
    if (digits.startsWith('+')) {
        digits.remove(0, 1);
        type |= 0x10;
    }
    const int count = digits.size();
    if (count % 2 != 0)
        digits.append('F');
    digits = SwapDigitPairs(digits); // characters go in unchanged, digits or not
    if (destinationForm)
        return ByteToHex(static_cast<quint8>(count)) + ByteToHex(type) + digits;
    if (number.isEmpty())
        return ByteToHex(0);
    return ByteToHex(static_cast<quint8>(digits.size() / 2 + 1)) + ByteToHex(type) + digits;
}

TPduHeader EncodeHeader(const TPduMessage& message)
{
    TPduHeader header;
    header.Text = EncodeAddress(message.SmscNumber, message.SmscType, false);
    header.SmscChars = header.Text.size();
    // 0x01: SMS-SUBMIT; 0x40: TP-UDHI, the user data begins with a header.
    const quint8 first = message.FirstOctet | (message.UserDataHeader.isEmpty() ? 0x01 : 0x41);
    header.Text += ByteToHex(first);
    header.Text += ByteToHex(message.MessageRef);
    header.Text += EncodeAddress(message.DestNumber, message.DestType, true);
    header.Text += ByteToHex(message.ProtocolId);
    header.Text += ByteToHex(message.DataCoding & ~0x20); // never announce compressed text
    const int validity = validityOctets(message.FirstOctet);
    for (int i = 0; i < validity; ++i)
        header.Text += ByteToHex(message.ValidityPeriod[i]);
    return header;
}

QByteArray MapToGsm(int selector, const QByteArray& text)
{
    const quint16* table = GsmCharTable[tableIndex(selector)];
    QByteArray septets;
    septets.reserve(text.size() * 2);
    for (const char c : text) {
        const quint16 entry = table[static_cast<quint8>(c)];
        if (entry >> 8 == Escape)
            septets.append(static_cast<char>(Escape));
        septets.append(static_cast<char>(entry & 0xFF));
    }
    return septets;
}

QByteArray MapFromGsm(int selector, const QByteArray& septets)
{
    const ReverseTable& reverse = reverseTable(selector);
    QByteArray text;
    text.reserve(septets.size());
    for (int i = 0; i < septets.size(); ++i) {
        const quint8 septet = static_cast<quint8>(septets[i]);
        qint16 code;
        if (septet == Escape) {
            if (i + 1 >= septets.size())
                break; // a trailing escape has nothing to extend
            code = reverse.escaped[static_cast<quint8>(septets[++i])];
        } else {
            code = reverse.single[septet];
        }
        if (code >= 0)
            text.append(static_cast<char>(code));
    }
    return text;
}

QByteArray PackSeptets(int selector, PackDirection direction, const QByteArray& header,
                       const QByteArray& text)
{
    if (direction == PackDirection::Pack) {
        const QByteArray septets = MapToGsm(selector, text);
        QByteArray octets;
        int length = septets.size();
        int startBit = 0;
        if (!header.isEmpty()) {
            octets.append(static_cast<char>(header.size()));
            octets.append(header);
            length += headerSeptets(header.size());
            startBit = headerSeptets(header.size()) * 7;
        }
        packInto(octets, startBit, septets);
        return ByteToHex(static_cast<quint8>(length)) + octets.toHex();
    }

    HexReader reader(text);
    const int count = reader.octet();
    const int startBit = header.isEmpty() ? 0 : fillBits(header.size());
    const QByteArray octets = reader.octets((startBit + 7 * count + 7) / 8);
    return MapFromGsm(selector, unpackFrom(octets, startBit, count));
}

QByteArray UnpackSeptets(const QByteArray& userData)
{
    HexReader reader(userData);
    const int count = reader.octet();
    return unpackFrom(reader.octets((7 * count + 7) / 8), 0, count);
}

quint16 EncodeSubmit(TPduMessage& message, int selector)
{
    const TPduHeader header = EncodeHeader(message);
    QByteArray userData;
    switch (message.DataCoding & 0x0C) {
    case 0x04:
        userData = octetUserData(message.UserDataHeader, toCp1250(message.MessageText));
        break;
    case 0x08:
        userData = octetUserData(message.UserDataHeader, toUcs2(message.MessageText));
        break;
    default:
        userData = PackSeptets(selector, PackDirection::Pack, message.UserDataHeader,
                               toCp1250(message.MessageText));
        break;
    }
    message.PduText = header.Text + userData;
    return static_cast<quint16>((message.PduText.size() - header.SmscChars) / 2);
}

QByteArray ParsePdu(TPduMessage& message)
{
    const QByteArray& pdu = message.PduText;
    HexReader reader(pdu);

    const int smscLength = reader.octet();
    if (smscLength > 0) {
        message.SmscType = reader.octet();
        message.SmscNumber = decodeDigits(reader.chars(2 * (smscLength - 1)), message.SmscType);
    }

    message.FirstOctet = reader.octet();
    const bool submit = message.FirstOctet & 0x01; // SMS-SUBMIT; clear: SMS-DELIVER
    if (submit)
        message.MessageRef = reader.octet();

    const int digits = reader.octet();
    const quint8 type = reader.octet();
    (submit ? message.DestType : message.OrigType) = type;
    if (digits > 0) {
        const QByteArray raw = reader.chars(digits + digits % 2);
        (submit ? message.DestNumber : message.OrigNumber) =
            isAlphanumeric(type) ? decodeAlphanumeric(raw, digits) : decodeDigits(raw, type, digits);
    }

    message.ProtocolId = reader.octet();
    message.DataCoding = reader.octet();

    if (submit) {
        const int validity = validityOctets(message.FirstOctet);
        for (int i = 0; i < validity; ++i)
            message.ValidityPeriod[i] = reader.octet();
    } else {
        // TS 23.040 9.2.3.11: semi-octets, low digit first.
        for (quint8& field : message.TimeStamp) {
            const QByteArray pair = SwapDigitPairs(reader.chars(2));
            field = static_cast<quint8>(hexDigit(charAt(pair, 0)) * 10 + hexDigit(charAt(pair, 1)));
        }
    }

    if (!(message.FirstOctet & 0x40)) {
        message.UserDataHeader.clear();
        return reader.rest();
    }
    const int length = reader.octet();
    const int headerLength = reader.octet();
    message.UserDataHeader = reader.octets(headerLength);
    const bool sevenBit = (message.DataCoding & 0x0C) == 0;
    const int used = sevenBit ? headerSeptets(headerLength) : headerLength + 1;
    return ByteToHex(static_cast<quint8>(std::max(0, length - used))) + reader.rest();
}

void DecodePdu(TPduMessage& message, int selector)
{
    const QByteArray userData = ParsePdu(message);
    switch (message.DataCoding & 0x0C) {
    case 0x00:
        message.MessageText =
            fromCp1250(PackSeptets(selector, PackDirection::Unpack, message.UserDataHeader, userData));
        break;
    case 0x04: {
        HexReader reader(userData);
        const int count = reader.octet();
        message.MessageText = fromCp1250(reader.octets(count));
        break;
    }
    case 0x08: {
        HexReader reader(userData);
        const int count = reader.octet();
        const QByteArray octets = reader.octets(count);
        QString text;
        text.reserve(count / 2);
        for (int i = 0; i + 1 < count; i += 2) // a lone last octet is half a character: dropped
            text.append(QChar(static_cast<char16_t>(octetAt(octets, i) << 8 | octetAt(octets, i + 1))));
        message.MessageText = text;
        break;
    }
    default:
        break; // 0x0C is reserved: the text stays as it was
    }
}

} // namespace kva
