// The phone's answers to the questions of the phone search, and the row's summary.
#include "ProbeAnswers.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva;

TEST(ProbeAnswers, AnAnswerIsCompleteWithAWholeFinalLine)
{
    EXPECT_EQ(probeReply("AT\r\r\nOK\r\n", "AT\r").final, AtReply::Ok);
    EXPECT_FALSE(probeReply("AT\r\r\nOK", "AT\r").complete()); // still coming
    EXPECT_FALSE(probeReply("\r\nBOOK\r\n", "AT\r").complete());
    EXPECT_EQ(probeReply("\r\n+CME ERROR: 10\r\n", "AT\r").final, AtReply::Refused);
    EXPECT_EQ(probeReply("\r\n+CME ERROR 10\r\n", "AT\r").final, AtReply::Refused); // the search's own rule
    EXPECT_EQ(probeReply("AT+CPMS?\r\r\nERROR\r\n", "AT+CPMS?\r").final, AtReply::Refused);
    EXPECT_FALSE(probeReply(QByteArray("\0\xff\r\n", 4), "AT\r").complete());
    // Any byte is one character: bytes above 127 come back as they were.
    EXPECT_EQ(probeReply("AT+CGMI\r\r\n\xa0\x8e\xff\r\nOK\r\n", "AT+CGMI\r").information.first().toLatin1(),
              QByteArray("\xa0\x8e\xff"));
    EXPECT_EQ(probeReply("AT\r\r\nA\r\n\r\nB\r\nOK\r\nC\r\n", "AT\r").information, (QStringList{"A", "B"}));
}

TEST(ProbeAnswers, IdentificationWithAndWithoutEchoAndPrefix)
{
    EXPECT_EQ(identification("AT+CGMI\r\r\nSimfon\r\n\r\nOK\r\n", "AT+CGMI\r"), "Simfon");
    EXPECT_EQ(identification("\r\n+CGMM: \"SF-1 phonesim\"\r\n\r\nOK\r\n", "AT+CGMM\r"), "SF-1 phonesim");
    EXPECT_EQ(identification("AT+CGMI\r\r\nERROR\r\n", "AT+CGMI\r"), "");
    EXPECT_EQ(identification("AT+CGMI\r\r\nMaker", "AT+CGMI\r"), ""); // no final result yet
    EXPECT_EQ(identification("\r\n\x01" + QByteArray(60, 'M') + "\r\nOK\r\n", "AT+CGMI\r"), QString(40, u'M'));
    // The search reads a call ringing meanwhile as the maker (its rules keep notices).
    EXPECT_EQ(identification("AT+CGMI\r\r\nRING\r\nSimfon\r\nOK\r\n", "AT+CGMI\r"), "RING");
    EXPECT_EQ(identification("AT+CGMI\r\r\nSim\x7f\xe8" "fon\r\nOK\r\n", "AT+CGMI\r"), "Simfon");
}

TEST(ProbeAnswers, SimRoomFromPhoneBookAndMessageStores)
{
    EXPECT_EQ(phoneBookTotalFromCpbs("AT+CPBS?\r\r\n+CPBS: \"SM\",4,250\r\n\r\nOK\r\n"), 250);
    EXPECT_EQ(phoneBookTotalFromCpbs("\r\n+CPBS: \"SM\"\r\n\r\nOK\r\n"), -1); // the older short form
    EXPECT_EQ(phoneBookTotalFromCpbr("\r\n+CPBR: (1-250),20,14\r\n\r\nOK\r\n"), 250);
    EXPECT_EQ(phoneBookTotalFromCpbr("\r\n+CPBR: (001-100),40,18\r\nOK\r\n"), 100);
    EXPECT_EQ(phoneBookTotalFromCpbr("\r\n+CPBR: (9-1)\r\n"), -1);
    EXPECT_EQ(phoneBookTotalFromCpbr("\r\n+CPBR: (1-99999999999)\r\n"), -1);
    EXPECT_EQ(smsTotalFromCpms("\r\n+CPMS: \"SM\",2,30,\"SM\",2,30,\"SM\",2,30\r\n\r\nOK\r\n"), 30);
    EXPECT_EQ(smsTotalFromCpms("\r\n+CPMS: \"SM\",x,y\r\n"), -1);
    EXPECT_EQ(smsTotalFromCpms("garbage"), -1);
}

TEST(ProbeAnswers, SummaryInCzech)
{
    EXPECT_EQ(answeringSummary({"Simfon", "SF-1", 250, 30}), QStringLiteral("odpovídá: Simfon SF-1, SIM: 250 kontaktů, 30 SMS"));
    EXPECT_EQ(answeringSummary({"Simfon", "", 1, -1}), QStringLiteral("odpovídá: Simfon, SIM: 1 kontakt"));
    EXPECT_EQ(answeringSummary({"", "", 3, 20}), QStringLiteral("odpovídá: SIM: 3 kontakty, 20 SMS"));
    EXPECT_EQ(answeringSummary({}), QStringLiteral("odpovídá"));
}
