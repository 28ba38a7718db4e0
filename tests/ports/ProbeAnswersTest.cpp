// The phone's answers to the questions of the phone search, and the row's summary.
#include "ProbeAnswers.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva;

TEST(ProbeAnswers, FinalResultNeedsAWholeLine)
{
    EXPECT_EQ(finalResult("AT\r\r\nOK\r\n"), FinalResult::Ok);
    EXPECT_EQ(finalResult("AT\r\r\nOK"), FinalResult::None); // still coming
    EXPECT_EQ(finalResult("\r\nBOOK\r\n"), FinalResult::None);
    EXPECT_EQ(finalResult("\r\n+CME ERROR: 10\r\n"), FinalResult::Error);
    EXPECT_EQ(finalResult("AT+CPMS?\r\r\nERROR\r\n"), FinalResult::Error);
    EXPECT_EQ(finalResult(QByteArray("\0\xff\r\n", 4)), FinalResult::None);
}

TEST(ProbeAnswers, IdentificationWithAndWithoutEchoAndPrefix)
{
    EXPECT_EQ(identification("AT+CGMI\r\r\nSimfon\r\n\r\nOK\r\n", "AT+CGMI\r"), "Simfon");
    EXPECT_EQ(identification("\r\n+CGMM: \"SF-1 phonesim\"\r\n\r\nOK\r\n", "AT+CGMM\r"), "SF-1 phonesim");
    EXPECT_EQ(identification("AT+CGMI\r\r\nERROR\r\n", "AT+CGMI\r"), "");
    EXPECT_EQ(identification("AT+CGMI\r\r\nMaker", "AT+CGMI\r"), ""); // no final result yet
    EXPECT_EQ(identification("\r\n\x01" + QByteArray(60, 'M') + "\r\nOK\r\n", "AT+CGMI\r"), QString(40, u'M'));
    EXPECT_EQ(informationLines("AT\r\r\nA\r\n\r\nB\r\nOK\r\nC\r\n", "AT\r"), (QStringList{"A", "B"}));
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
