#include "WriteAnswer.h"

#include <gtest/gtest.h>

using kva::WriteAnswer;
using kva::writeAnswer;

TEST(WriteAnswer, FinalAnswersAfterTheEcho)
{
    const struct {
        const char* received;
        WriteAnswer::Kind kind;
        const char* refusal;
        int storedAt;
    } cases[] = {
        {"AT+CPBW=5,\"+000000000000\",,\"Setup\"\r\r\nOK\r\n", WriteAnswer::Ok, "", 0},
        {"AT+CPBW=3,\"+420603123456\",,\"Šárka\"\r\r\n+CME ERROR: 25\r\n", WriteAnswer::Refused, "+CME ERROR: 25", 0},
        {"AT+CMGD=4\r\r\nERROR\r\n", WriteAnswer::Refused, "ERROR", 0},
        {"AT+CMGW=17\r\r\n> ", WriteAnswer::Prompt, "", 0},
        {"0791...\x1a\r\n+CMGW: 3\r\n\r\nOK\r\n", WriteAnswer::Ok, "", 3},
        {"0791...\x1a\r\n+CMS ERROR: 322\r\n", WriteAnswer::Refused, "+CMS ERROR: 322", 0},
        {"AT+CPBW=1\r", WriteAnswer::Nothing, "", 0},  // echoed, not answered (yet)
        {"", WriteAnswer::Nothing, "", 0},
        {"\r\n+CMGW: 2\r\n", WriteAnswer::Nothing, "", 2}, // the OK is still on its way
        {"\r\nOK", WriteAnswer::Nothing, "", 0},           // a line is whole only with its CR LF ...
        // ... except that the first complete final answer decides; a later OK is another command's
        {"\r\n+CME ERROR: 20\r\n\r\nOK\r\n", WriteAnswer::Refused, "+CME ERROR: 20", 0},
        {"\r\n  OK  \r\n", WriteAnswer::Ok, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        const WriteAnswer a = writeAnswer(QString::fromUtf8(c.received));
        EXPECT_EQ(a.kind, c.kind);
        EXPECT_EQ(a.refusal, QString::fromUtf8(c.refusal));
        EXPECT_EQ(a.storedAt, c.storedAt);
    }
}

TEST(WriteAnswer, AnEmptyPositionCountsAsDeleted)
{
    EXPECT_TRUE(kva::deleteDone(writeAnswer(QStringLiteral("AT+CMGD=1\r\r\nOK\r\n"))));
    EXPECT_TRUE(kva::deleteDone(writeAnswer(QStringLiteral("AT+CMGD=1\r\r\n+CMS ERROR: 321\r\n"))));
    EXPECT_FALSE(kva::deleteDone(writeAnswer(QStringLiteral("AT+CMGD=1\r\r\n+CMS ERROR: 314\r\n"))));
    EXPECT_FALSE(kva::deleteDone(writeAnswer(QStringLiteral("AT+CMGD=1\r\r\nERROR\r\n"))));
    EXPECT_FALSE(kva::deleteDone(writeAnswer(QStringLiteral("AT+CMGD=1\r"))));
}

TEST(WriteAnswer, CommonCodesInWordsOthersAsTheyCame)
{
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CME ERROR: 20")), QStringLiteral("+CME ERROR: 20 (paměť SIM je plná)"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CMS ERROR: 322")), QStringLiteral("+CMS ERROR: 322 (paměť SIM je plná)"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CMS ERROR: 314")), QStringLiteral("+CMS ERROR: 314 (SIM je zaneprázdněna)"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CME ERROR:021")), QStringLiteral("+CME ERROR:021 (neplatná pozice)"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CME ERROR: 24")), QStringLiteral("+CME ERROR: 24 (text je příliš dlouhý)"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CME ERROR: 27")), QStringLiteral("+CME ERROR: 27 (neplatné znaky v čísle)"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CME ERROR: 515")), QStringLiteral("+CME ERROR: 515"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("+CME ERROR: SIM busy")), QStringLiteral("+CME ERROR: SIM busy"));
    EXPECT_EQ(kva::refusalInWords(QStringLiteral("ERROR")), QStringLiteral("ERROR"));
}
