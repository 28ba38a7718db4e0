#include "PDU.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace kva;

namespace {

// The fields the SMS window sets for one of its messages.
TPduMessage windowMessage(const QByteArray& destination, const QString& text)
{
    TPduMessage m;
    m.SmscType = BinTextToByte("00000001");
    m.SmscNumber = "+420603052000";
    m.FirstOctet = BinTextToByte("00010000");
    m.MessageRef = 0;
    m.DestType = BinTextToByte("00000001");
    m.DestNumber = destination;
    m.ProtocolId = 0;
    m.DataCoding = 0;
    m.ValidityPeriod[0] = 4;
    m.MessageText = text;
    return m;
}

} // namespace

TEST(PduHelpers, HexAndBinaryConversions)
{
    EXPECT_EQ(ByteToHex(0x00), "00");
    EXPECT_EQ(ByteToHex(0x0c), "0c");
    EXPECT_EQ(ByteToHex(0xAB), "ab"); // lower case
    EXPECT_EQ(ByteToHex(0xFF), "ff");

    EXPECT_EQ(HexToByte("0c"), 12);
    EXPECT_EQ(HexToByte("Ab"), 0xAB);
    EXPECT_EQ(HexToByte("aB"), 0xAB);
    EXPECT_EQ(HexToByte(""), 0);
    EXPECT_EQ(HexToByte("7"), 7);
    EXPECT_EQ(HexToByte("zz"), 0);
    EXPECT_EQ(HexToByte("1g"), 16); // a non-hex character counts as 0

    EXPECT_EQ(BinTextToByte("00000001"), 0x01);
    EXPECT_EQ(BinTextToByte("00010000"), 0x10);
    EXPECT_EQ(BinTextToByte("10000000"), 0x80);
    EXPECT_EQ(BinTextToByte("1x1x1x1x"), 0xAA); // only "1" sets a bit
    EXPECT_EQ(BinTextToByte("111100000001"), 0x01); // the last eight count

    EXPECT_EQ(SwapDigitPairs("420603052000"), "246030500200");
    EXPECT_EQ(SwapDigitPairs(""), "");
    EXPECT_EQ(SwapDigitPairs("123"), "213");
}

TEST(PduAddress, DestinationAndCentreForms)
{
    EXPECT_EQ(EncodeAddress("+420603123456", 0x01, true), "0c91246030214365");
    EXPECT_EQ(EncodeAddress("+420603052000", 0x01, false), "0791246030500200");
    EXPECT_EQ(EncodeAddress("420603123456", 0x01, true), "0c81246030214365"); // no "+": 0x81
    EXPECT_EQ(EncodeAddress("", 0x01, true), "0081");
    EXPECT_EQ(EncodeAddress("", 0x01, false), "00");
}

TEST(PduAddress, OddDigitCountGetsUpperCaseFiller)
{
    EXPECT_EQ(EncodeAddress("42060312345", 0x01, true), "0b812460302143F5");
    EXPECT_EQ(EncodeAddress("+42060312345", 0x01, true), "0b912460302143F5");
    // Centre form counts octets after the length: type + six digit octets.
    EXPECT_EQ(EncodeAddress("+42060312345", 0x01, false), "07912460302143F5");
    EXPECT_EQ(EncodeAddress("+1", 0x01, true), "0191F1");
}

TEST(PduAddress, OtherCharactersPassUnchanged)
{
    EXPECT_EQ(EncodeAddress("+42060312345a", 0x01, true), "0c912460302143a5");
    EXPECT_EQ(EncodeAddress("+", 0x01, true), "0091");
}

TEST(PduEncode, WorkedExampleByteForByte)
{
    TPduMessage m = windowMessage("+420603123456", QStringLiteral("OK2"));
    const TPduHeader header = EncodeHeader(m);
    EXPECT_EQ(header.Text, "079124603050020011000c912460302143650000" "04");
    EXPECT_EQ(header.SmscChars, 16);

    EXPECT_EQ(EncodeSubmit(m, 2), 17);
    EXPECT_EQ(m.PduText, "079124603050020011000c9124603021436500000403cfa50c");
    EXPECT_EQ(m.PduText.size(), 50);

    m.MessageText = QStringLiteral("Poplach");
    EXPECT_EQ(EncodeSubmit(m, 2), 21);
    EXPECT_TRUE(m.PduText.endsWith("000407d0379c1d1ea301"));

    m.MessageText.clear();
    EXPECT_EQ(EncodeSubmit(m, 2), 14);
    EXPECT_EQ(m.PduText, "079124603050020011000c912460302143650000" "0400");
}

TEST(PduEncode, NineInitialMessagesHaveTheirLengths)
{
    const QStringList texts = {"OK2", "OK3", "OK4", "Poplach", "Mesicni", "ZAP1", "VYP1", "ZAP2", "VYP2"};
    const int lengths[] = {17, 17, 17, 21, 21, 18, 18, 18, 18};
    for (int i = 0; i < texts.size(); ++i) {
        TPduMessage m = windowMessage("+420603123456", texts[i]);
        EXPECT_EQ(EncodeSubmit(m, 2), lengths[i]) << texts[i].toStdString();
    }
}

TEST(PduEncode, EmptyDestinationShortensBySixOctets)
{
    // The six digit octets go; the length and type octets stay.
    TPduMessage m = windowMessage("", QStringLiteral("OK2"));
    EXPECT_EQ(EncodeSubmit(m, 2), 17 - 6);
    EXPECT_EQ(m.PduText, "079124603050020011000081000004" "03cfa50c");
}

TEST(PduEncode, EscapesCountTwoSeptets)
{
    TPduMessage m = windowMessage("+420603123456", QStringLiteral("[x]"));
    EncodeSubmit(m, 2);
    EXPECT_TRUE(m.PduText.endsWith("05" "1b1e7ee303")) << m.PduText.toStdString();

    m.MessageText = QString(50, QLatin1Char('['));
    const int length = EncodeSubmit(m, 2);
    EXPECT_EQ(length, 14 + 88);
    const QByteArray userData = m.PduText.mid(m.PduText.size() - 2 * 89);
    EXPECT_EQ(userData.left(2), "64"); // 100 septets
    EXPECT_EQ(userData.size(), 2 * 89);
}

TEST(PduEncode, CharactersWithoutGsmFormAreSentAsSeptet7F)
{
    // š (0x9A) has no GSM form; only the low seven bits of 0xFF go out.
    TPduMessage m = windowMessage("+420603123456", QStringLiteral("š"));
    EncodeSubmit(m, 2);
    EXPECT_TRUE(m.PduText.endsWith("017f"));
    // A character Windows-1250 cannot hold becomes "?" (0x3F) first.
    m.MessageText = QStringLiteral("中");
    EncodeSubmit(m, 2);
    EXPECT_TRUE(m.PduText.endsWith("013f"));
}

TEST(PduEncode, ValidityPeriodOctetsFollowFirstOctet)
{
    TPduMessage m = windowMessage("", QString());
    m.ValidityPeriod = {1, 2, 3, 4, 5, 6, 7};
    const struct { quint8 first; QByteArray validity; } rows[] = {
        {0x00, ""}, {0x08, "01020304050607"}, {0x10, "01"}, {0x18, "01020304050607"}};
    for (const auto& row : rows) {
        m.FirstOctet = row.first;
        EXPECT_EQ(EncodeHeader(m).Text, "0791246030500200" + ByteToHex(row.first | 1) + "00" "0081" "0000" + row.validity);
    }
}

TEST(PduEncode, CompressedBitIsClearedFromDataCoding)
{
    TPduMessage m = windowMessage("", QString());
    m.DataCoding = 0x20;
    EXPECT_TRUE(EncodeHeader(m).Text.endsWith("0081" "0000" "04"));
}

TEST(PduEncode, HeaderSetsFlagAndFillBits)
{
    // Concatenation header 00 03 CC 02 01: with its length octet 48 bits, one fill bit up to
    // seven septets; TP-UDL counts those seven and the text's four.
    TPduMessage m = windowMessage("", QStringLiteral("Ahoj"));
    m.UserDataHeader = QByteArray::fromHex("0003cc0201");
    EncodeSubmit(m, 2);
    EXPECT_EQ(m.PduText, "0791246030500200" "51" "00" "0081" "0000" "04" "0b" "050003cc020182e8b71a");

    // A six-octet header ends on a septet boundary: no fill bits.
    m.UserDataHeader = QByteArray::fromHex("040400010203");
    EncodeSubmit(m, 2);
    EXPECT_TRUE(m.PduText.endsWith("0c" "0604040001020341f45b0d"));
}

TEST(PduEncode, EightBitAndUcs2UserData)
{
    TPduMessage m = windowMessage("", QStringLiteral("čě!"));
    m.DataCoding = 0x04;
    EncodeSubmit(m, 2);
    EXPECT_TRUE(m.PduText.endsWith("0004" "04" "03e8ec21"));

    m.DataCoding = 0x08;
    m.MessageText = QStringLiteral("čš€");
    EncodeSubmit(m, 2);
    EXPECT_TRUE(m.PduText.endsWith("0008" "04" "06010d016120ac"));
}
