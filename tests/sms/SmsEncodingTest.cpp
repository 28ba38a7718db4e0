#include "SmsEncoding.h"

#include <gtest/gtest.h>

using namespace kva::sms;

namespace {
const QString EncodingCentre = QStringLiteral("+420603052000");
}

TEST(SmsEncoding, InitialMessagesHaveTheExpectedTpduLengths)
{
    const auto encoded = encodeSet(EncodingCentre, initialSet());
    const int lengths[PairCount] = {17, 17, 17, 21, 21, 18, 18, 18, 18};
    for (int i = 0; i < PairCount; ++i) {
        EXPECT_EQ(encoded[i].tpduLength, lengths[i]) << i;
        // The TPDU length counts the octets after the 8-octet SMS-centre field.
        EXPECT_EQ(encoded[i].pduText.size(), 16 + 2 * lengths[i]) << i;
    }
    EXPECT_EQ(encoded[0].pduText, QByteArray("079124603050020011000c9124603021436500000403cfa50c"));
    EXPECT_TRUE(encoded[3].pduText.endsWith("0407d0379c1d1ea301"));
}

TEST(SmsEncoding, EveryCallSetsTheWholeRecord)
{
    kva::TPduMessage m;
    m.FirstOctet = 0xff;
    m.MessageRef = 9;
    m.ProtocolId = 0x41;
    m.DataCoding = 0x08;
    m.ValidityPeriod = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(encodeMessage(m, EncodingCentre, QStringLiteral("+420603123456"), QStringLiteral("OK2")), 17);
    EXPECT_EQ(m.PduText, QByteArray("079124603050020011000c9124603021436500000403cfa50c"));
    EXPECT_EQ(m.SmscType, 0x01);
    EXPECT_EQ(m.DestType, 0x01);
    EXPECT_EQ(m.FirstOctet, 0x10);
    EXPECT_EQ(m.DestNumber, QByteArray("+420603123456"));
    EXPECT_EQ(m.MessageText, QStringLiteral("OK2"));

    // Nothing carries over to the next message.
    EXPECT_EQ(encodeMessage(m, EncodingCentre, QString(), QString()), 8);
    EXPECT_EQ(m.PduText, QByteArray("0791246030500200110000810000040" "0"));
}

TEST(SmsEncoding, NumbersPassUncheckedAndLongTextsStayWithinTheStore)
{
    const EncodedSms letter = encodePair(EncodingCentre, {QStringLiteral("+42060312345a"), QStringLiteral("OK2")});
    EXPECT_TRUE(letter.pduText.contains("0c912460302143a5"));
    EXPECT_EQ(letter.tpduLength, 17);

    const EncodedSms brackets = encodePair(EncodingCentre, {QStringLiteral("+420603123456"), QString(50, u'[')});
    EXPECT_EQ(brackets.tpduLength, 14 + 88);
    EXPECT_TRUE(brackets.pduText.mid(16 + 2 * 13, 2) == "64"); // TP-UDL 100 septets

    // A character without a Windows-1250 code is sent as "?" (septet 0x3F).
    const EncodedSms omega = encodePair(EncodingCentre, {QStringLiteral("+420603123456"), QStringLiteral("Ω")});
    EXPECT_TRUE(omega.pduText.endsWith("013f"));
}

TEST(SmsEncoding, EncodedMessagesDecodeBackToTheirPair)
{
    SmsSet set = initialSet();
    set[4] = {QStringLiteral("+420777000111"), QStringLiteral("Teplota {max} 30 $ @ 5 €")};
    const auto encoded = encodeSet(EncodingCentre, set);
    for (int i = 0; i < PairCount; ++i) {
        kva::TPduMessage in;
        in.PduText = encoded[i].pduText;
        kva::DecodePdu(in, CharacterSelector);
        EXPECT_EQ(in.DestNumber, set[i].number.toLatin1()) << i;
        EXPECT_EQ(in.MessageText, set[i].text) << i;
        EXPECT_EQ(in.SmscNumber, QByteArray("+420603052000"));
    }
}
