#include "PDU.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <random>

using namespace kva;

namespace {

const QByteArray WorkedExample = "079124603050020011000c9124603021436500000403cfa50c";

// SMS-DELIVER without centre address from +420603123456, sent 25-10-12 13:04:00 at +01:00.
const QByteArray DeliverHead = "00" "04" "0c91246030214365" "00";
const QByteArray Stamp = "52012131400040";

TPduMessage decoded(const QByteArray& pdu, int selector = 2)
{
    TPduMessage m;
    m.PduText = pdu;
    DecodePdu(m, selector);
    return m;
}

} // namespace

TEST(PduDecode, WorkedExampleGivesBackItsFields)
{
    TPduMessage m;
    m.PduText = WorkedExample;
    EXPECT_EQ(ParsePdu(m), "03cfa50c");
    EXPECT_EQ(m.SmscType, 0x91);
    EXPECT_EQ(m.SmscNumber, "+420603052000");
    EXPECT_EQ(m.FirstOctet, 0x11);
    EXPECT_EQ(m.DestType, 0x91);
    EXPECT_EQ(m.DestNumber, "+420603123456");
    EXPECT_EQ(m.ValidityPeriod[0], 4);
    EXPECT_TRUE(m.OrigNumber.isEmpty());

    DecodePdu(m, 2);
    EXPECT_EQ(m.MessageText, QStringLiteral("OK2"));
}

TEST(PduDecode, WindowMessagesRoundTrip)
{
    const QStringList texts = {"Poplach", "", "[x]", QString(50, QLatin1Char('[')),
                               "čěňřú é ÄÖÜ ß €{}~^|\\", "a\nb\rc @$_§"};
    for (const QString& text : texts) {
        TPduMessage out;
        out.SmscType = 1;
        out.SmscNumber = "+420603052000";
        out.FirstOctet = 0x10;
        out.DestType = 1;
        out.DestNumber = "+42060312345";
        out.ValidityPeriod[0] = 4;
        out.MessageText = text;
        EncodeSubmit(out, 2);
        const TPduMessage in = decoded(out.PduText);
        EXPECT_EQ(in.MessageText, text);
        EXPECT_EQ(in.DestNumber, "+42060312345"); // the filler F is gone
        EXPECT_EQ(in.SmscNumber, "+420603052000");
    }
}

TEST(PduDecode, CentreLengthZeroReadsFirstOctetFromThirdCharacter)
{
    TPduMessage m;
    m.SmscNumber = "kept";
    m.PduText = "00" + WorkedExample.mid(16);
    DecodePdu(m, 2);
    EXPECT_EQ(m.SmscNumber, "kept");
    EXPECT_EQ(m.FirstOctet, 0x11);
    EXPECT_EQ(m.DestNumber, "+420603123456");
    EXPECT_EQ(m.MessageText, QStringLiteral("OK2"));
}

TEST(PduDecode, ReceivedMessageFillsOriginAndTimeStamp)
{
    // A widely published SMS-DELIVER: national number with filler, "hellohello".
    TPduMessage m;
    m.DestNumber = "kept";
    m.PduText = "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37";
    DecodePdu(m, 2);
    EXPECT_EQ(m.SmscNumber, "+27381000015");
    EXPECT_EQ(m.FirstOctet, 0x04);
    EXPECT_EQ(m.OrigType, 0xC8);
    EXPECT_EQ(m.OrigNumber, "27838890001");
    EXPECT_EQ(m.DestNumber, "kept");
    EXPECT_EQ(m.TimeStamp, (std::array<quint8, 7>{99, 3, 29, 15, 16, 59, 8}));
    EXPECT_EQ(m.MessageText, QStringLiteral("hellohello"));
}

TEST(PduDecode, TimeZoneSignBitAddsEighty)
{
    // -05:00 is 20 quarter hours with the sign bit in the tens digit: semi-octets "0A".
    const TPduMessage m = decoded(DeliverHead + "00" "520121314000" "0A" "03cfa50c");
    EXPECT_EQ(m.TimeStamp[6], 100);
    EXPECT_EQ(m.MessageText, QStringLiteral("OK2"));
}

TEST(PduDecode, AlphanumericOriginIsGsmText)
{
    const TPduMessage m = decoded("00" "04" "0ED0D637396C7EBBCB" "0000" + Stamp + "03cfa50c");
    EXPECT_EQ(m.OrigType, 0xD0);
    EXPECT_EQ(m.OrigNumber, "Vodafone");
    EXPECT_EQ(m.MessageText, QStringLiteral("OK2"));
}

TEST(PduDecode, HeaderAndFillBitsAreSkipped)
{
    const TPduMessage m = decoded("00" "44" "0c91246030214365" "0000" + Stamp + "0b" "050003cc020182e8b71a");
    EXPECT_EQ(m.UserDataHeader, QByteArray::fromHex("0003cc0201"));
    EXPECT_EQ(m.OrigNumber, "+420603123456");
    EXPECT_EQ(m.MessageText, QStringLiteral("Ahoj"));

    TPduMessage parsed;
    parsed.PduText = "00" "44" "0c91246030214365" "0000" + Stamp + "0b" "050003cc020182e8b71a";
    EXPECT_EQ(ParsePdu(parsed), "04" "82e8b71a"); // 11 septets less the header's seven
}

TEST(PduDecode, HeadersOfEveryFillRoundTrip)
{
    // Header lengths 1 to 7 give every count of fill bits from 0 to 6.
    for (int length = 1; length <= 12; ++length) {
        TPduMessage out;
        out.FirstOctet = 0x10;
        out.DestNumber = "+420603123456";
        out.UserDataHeader = QByteArray(length, '\x5A');
        out.MessageText = QStringLiteral("Zkouška [1]");
        EncodeSubmit(out, 2);
        const TPduMessage in = decoded(out.PduText);
        EXPECT_EQ(in.FirstOctet & 0x40, 0x40);
        EXPECT_EQ(in.UserDataHeader, out.UserDataHeader) << length;
        EXPECT_EQ(in.MessageText, QStringLiteral("Zkouška [1]").replace(QChar(u'š'), QChar(0x7F)))
            << length;
    }
}

TEST(PduDecode, EightBitAndUcs2)
{
    EXPECT_EQ(decoded(DeliverHead + "04" + Stamp + "03e8ec21").MessageText, QStringLiteral("čě!"));
    EXPECT_EQ(decoded(DeliverHead + "08" + Stamp + "06010d016120ac").MessageText, QStringLiteral("čš€"));
    // An odd octet count leaves half a character, which is dropped.
    EXPECT_EQ(decoded(DeliverHead + "08" + Stamp + "05010d016120ac").MessageText, QStringLiteral("čš"));
    // With a header the length counts its octets too.
    EXPECT_EQ(decoded("00" "44" "0c91246030214365" "0008" + Stamp + "0c" "050003cc0201" "010d016120ac").MessageText,
              QStringLiteral("čš€"));
    EXPECT_EQ(decoded("00" "44" "0c91246030214365" "0004" + Stamp + "09" "050003cc0201" "e8ec21").MessageText,
              QStringLiteral("čě!"));

    for (const int coding : {0x04, 0x08}) {
        TPduMessage out;
        out.DataCoding = static_cast<quint8>(coding);
        out.DestNumber = "+420603123456";
        out.MessageText = QStringLiteral("Příliš žluťoučký kůň");
        EncodeSubmit(out, 2);
        EXPECT_EQ(decoded(out.PduText).MessageText, out.MessageText) << coding;
    }
}

TEST(PduDecode, ReservedCodingLeavesTextAlone)
{
    TPduMessage m;
    m.MessageText = QStringLiteral("before");
    m.PduText = DeliverHead + "0c" + Stamp + "03cfa50c";
    DecodePdu(m, 2);
    EXPECT_EQ(m.MessageText, QStringLiteral("before"));
}

TEST(PduDecode, BadInputGivesAResultWithoutReadingOn)
{
    for (const QByteArray& pdu : {QByteArray(), QByteArray("0"), QByteArray("zzzzzzzzzzzzzzzzzzzzzzzzzzzz"),
                                  QByteArray("ff"), QByteArray("ffffffff"), QByteArray("\0\0\0", 3)}) {
        const TPduMessage m = decoded(pdu);
        EXPECT_TRUE(m.MessageText.isEmpty()) << pdu.toHex().constData();
        EXPECT_TRUE(m.DestNumber.isEmpty());
    }

    // An odd address length whose digits are cut off keeps what is there.
    EXPECT_EQ(decoded("00" "01" "00" "0b" "91" "2460").DestNumber, "+4206");
    // An odd address length whose filler is not an F: only the announced digits are kept.
    EXPECT_EQ(decoded("00" "11" "00" "0b" "91" "246030214305" "0000aa00").DestNumber, "+42060312345");
    EXPECT_EQ(decoded("00" "11" "00" "0b" "91" "2460302143f5" "0000aa00").DestNumber, "+42060312345");

    // A user-data length beyond the data: the missing octets count as zero, septet 0 is "@".
    TPduMessage huge = decoded(WorkedExample.left(WorkedExample.size() - 8) + "ff" "cfa50c");
    EXPECT_EQ(huge.MessageText, QStringLiteral("OK2") + QString(252, QLatin1Char('@')));

    // A header length beyond the data.
    TPduMessage header = decoded("00" "44" "0081" "0000" + Stamp + "05" "ff");
    EXPECT_EQ(header.UserDataHeader.size(), 255);
    EXPECT_TRUE(header.MessageText.isEmpty());

    // An odd number of characters: the last half octet is read as a single digit.
    EXPECT_EQ(decoded(WorkedExample.chopped(1)).MessageText.left(2), QStringLiteral("OK"));
}

TEST(PduDecode, EveryPrefixAndRandomTextDecodeWithinBounds)
{
    const QByteArray samples[] = {
        WorkedExample,
        "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37",
        "00" "44" "0c91246030214365" "0000" + Stamp + "0b" "050003cc020182e8b71a",
        DeliverHead + "08" + Stamp + "06010d016120ac"};
    for (const QByteArray& sample : samples) {
        for (int n = 0; n <= sample.size(); ++n) {
            const TPduMessage m = decoded(sample.left(n));
            EXPECT_LE(m.MessageText.size(), 255);
        }
    }

    std::mt19937 random(271);
    const char alphabet[] = "0123456789abcdefABCDEF4444ffF+z \n";
    for (int round = 0; round < 3000; ++round) {
        QByteArray pdu(static_cast<int>(random() % 400), '0');
        for (char& c : pdu)
            c = alphabet[random() % (sizeof alphabet - 1)];
        const TPduMessage m = decoded(pdu, static_cast<int>(random() % 4));
        ASSERT_LE(m.MessageText.size(), 255) << pdu.constData();
        ASSERT_LE(m.UserDataHeader.size(), 255);
    }
}
