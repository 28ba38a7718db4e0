#include "Records.h"

#include "PDU.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva::card;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

} // namespace

TEST(AdnRecord, EncodesTheNameInGsmAndTheNumberInBcd)
{
    EXPECT_EQ(encodeAdn({QStringLiteral("Alarm1"), QStringLiteral("+420603123456")}, 28),
              hex("41 6C 61 72 6D 31 FF FF FF FF FF FF FF FF 07 91 24 60 30 21 43 65 FF FF FF FF FF FF"));
    // National number, odd digit count, * and #, and GSM letters that differ from ASCII.
    EXPECT_EQ(encodeAdn({QStringLiteral("a@_$"), QStringLiteral("123*#")}, 18),
              hex("61 00 11 02 04 81 21 A3 FB FF FF FF FF FF FF FF FF FF"));
    // Letters outside the GSM alphabet: 80 and UCS-2.
    EXPECT_EQ(encodeAdn({QStringLiteral("Čas"), QStringLiteral("1")}, 22),
              hex("80 01 0C 00 61 00 73 FF 02 81 F1 FF FF FF FF FF FF FF FF FF FF FF"));
}

TEST(AdnRecord, DecodesWhatItEncodesAndSeesFreeRecords)
{
    for (const AdnEntry& e : {AdnEntry{QStringLiteral("Setup"), QStringLiteral("+000000000000")},
                              AdnEntry{QStringLiteral("Casy"), QStringLiteral("+420603123456")},
                              AdnEntry{QStringLiteral("Čeněk"), QStringLiteral("*31#")},
                              AdnEntry{QString(), QStringLiteral("12345678901234567890")}}) {
        const auto back = decodeAdn(encodeAdn(e, 28));
        ASSERT_TRUE(back) << qPrintable(e.name);
        EXPECT_EQ(back->name, e.name);
        EXPECT_EQ(back->number, e.number);
    }
    EXPECT_FALSE(decodeAdn(freeAdn(28)));
    EXPECT_EQ(freeAdn(28), QByteArray(28, char(0xFF)));
}

TEST(AdnRecord, RefusesWhatTheRecordCannotHold)
{
    EXPECT_THROW(encodeAdn({QStringLiteral("x"), QStringLiteral("+123456789012345678901")}, 28), CardError);
    EXPECT_THROW(encodeAdn({QStringLiteral("x"), QStringLiteral("12-34")}, 28), CardError);
    EXPECT_THROW(encodeAdn({QStringLiteral("Patnáct znaků!!"), QStringLiteral("1")}, 28), CardError);
    EXPECT_THROW(encodeAdn({QStringLiteral("Setup"), QStringLiteral("1")}, 13), CardError);
}

// The record holds status 07 and exactly the PDU the phone path sends with AT+CMGW.
TEST(SmsRecord, HoldsThePhonePathsPduAndGivesItBack)
{
    for (int coding : {0x00, 0x04, 0x08}) {
        kva::TPduMessage m;
        m.SmscNumber = "+420602909909";
        m.SmscType = 0x01;
        m.FirstOctet = 0x11;
        m.DestNumber = "+420603123456";
        m.DestType = 0x01;
        m.DataCoding = quint8(coding);
        m.ValidityPeriod[0] = 0xAA;
        m.MessageText = QStringLiteral("Poplach v zóně %1, teplota 25°C").arg(coding);
        const quint16 tpdu = kva::EncodeSubmit(m, 2);
        const QByteArray pdu = QByteArray::fromHex(m.PduText);
        const QByteArray record = encodeSms(m.PduText);
        ASSERT_EQ(record.size(), SmsRecordLength);
        EXPECT_EQ(quint8(record[0]), 0x07);
        EXPECT_EQ(record.mid(1, pdu.size()), pdu);
        EXPECT_EQ(record.mid(1 + pdu.size()), QByteArray(SmsRecordLength - 1 - pdu.size(), char(0xFF)));
        EXPECT_EQ(pdu.size() - 1 - quint8(pdu[0]), tpdu);
        EXPECT_EQ(decodeSms(record), m.PduText.toUpper()) << coding;
    }
}

TEST(SmsRecord, ReadsAnyStatusAndSeesFreeRecords)
{
    // A received message (SMS-DELIVER, 8-bit data 41 FF): its last octet looks like padding, so
    // only the TPDU's own length gives it back whole.
    const QByteArray deliver = hex("07 91 24 60 20 90 99 F0 04 0C 91 24 60 30 21 43 65 00 04 52 10 80 21 43 00 80 02 41 FF");
    for (int status : {0x01, 0x03, 0x05, 0x07}) {
        QByteArray record(SmsRecordLength, char(0xFF));
        record[0] = char(status);
        record.replace(1, deliver.size(), deliver);
        EXPECT_EQ(decodeSms(record), deliver.toHex().toUpper()) << status;
    }
    EXPECT_EQ(decodeSms(freeSms()), QByteArray());
    QByteArray noStatus = encodeSms("0011000C912460302143650000AA05E8329BFD06");
    noStatus[0] = 0x00;
    EXPECT_EQ(decodeSms(noStatus), QByteArray());
    EXPECT_EQ(freeSms(), QByteArray(1, '\0') + QByteArray(175, char(0xFF)));
}

TEST(SmsRecord, RefusesTextThatIsNotAPdu)
{
    EXPECT_THROW(encodeSms("0011G0"), CardError);
    EXPECT_THROW(encodeSms("001"), CardError);
    EXPECT_THROW(encodeSms(QByteArray(176 * 2, 'A')), CardError);
}
