// Reading the answer to one AT command: final results, the prompt, "+CMGW: k", information
// lines, notices the phone sends of its own accord, and where the pages' rules and the phone
// search's rules differ.
#include "AtReply.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using kva::AtReply;
using kva::readReply;
using kva::ReplyRules;

namespace {

QString text(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

TEST(AtReply, AnAnswerIsCompleteOnlyWithTheLineEndOfItsFinalResult)
{
    const QString command = text("AT+CPBR=5\r");
    const QString whole = text("AT+CPBR=5\r\r\n+CPBR: 5,\"+000000000001\",145,\"Setup\"\r\n\r\nOK\r\n");
    const qsizetype okEnds = whole.lastIndexOf(u"OK") + 3; // the CR after OK
    for (const ReplyRules& rules : {ReplyRules::pages(), ReplyRules::phoneSearch()}) {
        // The same text in pieces of any size: every shorter part is still "no final result".
        for (qsizetype n = 0; n <= whole.size(); ++n) {
            SCOPED_TRACE(n);
            const AtReply r = readReply(QStringView(whole).first(n), command, rules);
            EXPECT_EQ(r.complete(), n >= okEnds);
            EXPECT_FALSE(r.prompt);
            if (n >= okEnds) {
                EXPECT_EQ(r.final, AtReply::Ok);
                EXPECT_EQ(r.information, QStringList{text("+CPBR: 5,\"+000000000001\",145,\"Setup\"")});
            }
        }
    }
}

TEST(AtReply, RefusalsPromptAndStoredPosition)
{
    const struct {
        const char* received;
        AtReply::Final final;
        const char* refusal;
        bool prompt;
        int storedAt;
    } cases[] = {
        {"AT+CPBW=3\r\r\n+CME ERROR: 25\r\n", AtReply::Refused, "+CME ERROR: 25", false, 0},
        {"AT+CMGD=4\r\r\n  +CMS ERROR: 321 \r\n", AtReply::Refused, "+CMS ERROR: 321", false, 0},
        {"AT+CMGD=4\r\r\nERROR\r\n", AtReply::Refused, "ERROR", false, 0},
        {"AT+CMGW=17\r\r\n> ", AtReply::None, "", true, 0},
        {"AT+CMGW=17\r\r\n>", AtReply::None, "", true, 0},
        {"AT+CMGW=17\r\r\n> \r\nOK\r\n", AtReply::Ok, "", false, 0}, // a final result is no prompt
        {"0791\x1a\r\n+CMGW: 3\r\n\r\nOK\r\n", AtReply::Ok, "", false, 3},
        {"0791\x1a\r\n+CMGW: 3\r\n", AtReply::None, "", false, 3}, // the OK is on its way
        {"0791\x1a\r\n+CMGW: 0\r\n+CMGW: x\r\n", AtReply::None, "", false, 0},
        {"\r\n+CMGW: 2\r\n\r\nOK\r\n+CMGW: 7\r\n", AtReply::Ok, "", false, 2}, // after OK: another command's
        // The first final result decides; the OK after the refusal belongs to a later command.
        {"\r\n+CME ERROR: 20\r\n\r\nOK\r\n", AtReply::Refused, "+CME ERROR: 20", false, 0},
        {"\r\nOK\r\n\r\nERROR\r\n", AtReply::Ok, "", false, 0},
        {"\r\nBOOK\r\nOKAY\r\nERRORS\r\n", AtReply::None, "", false, 0},
        {"", AtReply::None, "", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        const AtReply r = readReply(text(c.received));
        EXPECT_EQ(r.final, c.final);
        EXPECT_EQ(r.refusal, text(c.refusal));
        EXPECT_EQ(r.prompt, c.prompt);
        EXPECT_EQ(r.storedAt, c.storedAt);
    }
}

TEST(AtReply, InformationLinesBetweenTheEchoAndTheFinalResult)
{
    // A message read: the "+CMGR:" line and the PDU line after it.
    EXPECT_EQ(readReply(text("AT+CMGR=1\r\r\n+CMGR: 2,,17\r\n0791248\r\n\r\nOK\r\n"), text("AT+CMGR=1\r")).information,
              (QStringList{text("+CMGR: 2,,17"), text("0791248")}));
    // Without its echo (a phone with echo off) nothing is left out for it.
    EXPECT_EQ(readReply(text("\r\nSimfon\r\n\r\nOK\r\n"), text("AT+CGMI\r")).information, QStringList{text("Simfon")});
    // The echo is left out only as the first line; the same text later is information.
    EXPECT_EQ(readReply(text("AT\r\r\nAT\r\nOK\r\n"), text("AT\r")).information, QStringList{text("AT")});
    EXPECT_EQ(readReply(text("X\r\nAT\r\nOK\r\n"), text("AT\r")).information, (QStringList{text("X"), text("AT")}));
    // Without a command a first line that is an echo is information too.
    EXPECT_EQ(readReply(text("AT+CPMS?\r\r\n+CPMS: \"SM\",2,30\r\nOK\r\n")).information,
              (QStringList{text("AT+CPMS?"), text("+CPMS: \"SM\",2,30")}));
    // Lines after the final result, and an unfinished line, are no part of it.
    EXPECT_EQ(readReply(text("AT+CPBS?\r\r\n+CPBS: \"SM\",4,250\r\nOK\r\nC\r\n")).information.size(), 2);
    EXPECT_EQ(readReply(text("AT+CGMM\r\r\nSF-1"), text("AT+CGMM\r")).information, QStringList());
}

TEST(AtReply, NoticesThePhoneSendsOfItsOwnAccordAreNoPartOfTheAnswer)
{
    const QString received = text("AT+CPBR=5\r\r\nRING\r\n\r\n+CMTI: \"SM\",3\r\n"
                                  "+CPBR: 5,\"+000000000001\",145,\"Setup\"\r\n"
                                  "+CMT: ,23\r\n07912470\r\n+CLIP: \"+420603\",145\r\n\r\nOK\r\n");
    const AtReply r = readReply(received, text("AT+CPBR=5\r"));
    EXPECT_EQ(r.final, AtReply::Ok);
    EXPECT_EQ(r.information, QStringList{text("+CPBR: 5,\"+000000000001\",145,\"Setup\"")});
    // A notice before the echo does not hide the echo either.
    EXPECT_EQ(readReply(text("RING\r\nAT+CGMI\r\r\nSimfon\r\nOK\r\n"), text("AT+CGMI\r")).information,
              QStringList{text("Simfon")});
    // The answer to a command of the same name is the answer.
    EXPECT_EQ(readReply(text("AT+CLIP?\r\r\n+CLIP: 0,1\r\nOK\r\n"), text("AT+CLIP?\r")).information,
              QStringList{text("+CLIP: 0,1")});
    // A final result after a message notice ends the answer; it is never taken for the message.
    EXPECT_EQ(readReply(text("\r\n+CMT: ,23\r\nOK\r\n")).final, AtReply::Ok);
}

TEST(AtReply, WherePagesAndPhoneSearchReadDifferently)
{
    const struct {
        const char* received;
        AtReply::Final pages;
        AtReply::Final phoneSearch;
    } cases[] = {
        // A refusal without its colon counts for the search only.
        {"\r\n+CME ERROR 10\r\n", AtReply::None, AtReply::Refused},
        {"\r\n+CMS ERRORS\r\n", AtReply::None, AtReply::Refused},
        // A no-break space (Latin-1 A0) around OK is trimmed by the pages only.
        {"\r\n\xa0OK\xa0\r\n", AtReply::Ok, AtReply::None},
        // Both trim ASCII blanks.
        {"\r\n \t\v\fOK \r\n", AtReply::Ok, AtReply::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        EXPECT_EQ(readReply(text(c.received), {}, ReplyRules::pages()).final, c.pages);
        EXPECT_EQ(readReply(text(c.received), {}, ReplyRules::phoneSearch()).final, c.phoneSearch);
    }
    // The search keeps notices among the information lines.
    const QString ringing = text("AT+CGMI\r\r\nRING\r\nSimfon\r\nOK\r\n");
    EXPECT_EQ(readReply(ringing, text("AT+CGMI\r"), ReplyRules::phoneSearch()).information,
              (QStringList{text("RING"), text("Simfon")}));
    EXPECT_EQ(readReply(ringing, text("AT+CGMI\r"), ReplyRules::pages()).information, QStringList{text("Simfon")});
}

TEST(AtReply, CompleteLinesKeepEmptyOnesAndDropTheUnfinished)
{
    EXPECT_EQ(kva::completeLines(text("AT\r\r\n OK \r\nRI")), (QStringList{"AT", "", "", "OK", ""}));
    EXPECT_EQ(kva::completeLines(text("\xa0x\r"), ReplyRules::pages()), QStringList{"x"});
    EXPECT_EQ(kva::completeLines(text("\xa0x\r"), ReplyRules::phoneSearch()), QStringList{text("\xa0x")});
    EXPECT_EQ(kva::completeLines(QString()), QStringList());
}
