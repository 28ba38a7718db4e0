#include "Options.h"
#include "SimStore.h"
#include "Transcript.h"

#include <gtest/gtest.h>

using namespace phonesim;

TEST(SimStore, TpduLengthLeavesOutTheSmsCentreField)
{
    EXPECT_EQ(tpduLength("079124603050020011000c9124603021436500000403cfa50c"), 17);
    EXPECT_EQ(tpduLength("0011000C912460302143650000040007D0379C1D1EA301"), 22); // no centre
    EXPECT_EQ(tpduLength("0791246030500200040C9124603021436500004210120100000007D0379C1D1EA301"), 26);
    EXPECT_FALSE(tpduLength(""));
    EXPECT_FALSE(tpduLength("079"));            // half an octet
    EXPECT_FALSE(tpduLength("07912460"));       // centre field longer than the PDU
    EXPECT_FALSE(tpduLength("0011g0"));         // not hex
}

TEST(SimStore, StateTextRoundTripsEveryByteOfNumbersAndNames)
{
    SimStore sim;
    sim.setEntry(1, makeEntry("+420603123456", std::nullopt, "Pe\"tr %1 \x9e\r"));
    sim.setEntry(250, makeEntry("603", std::nullopt, ""));
    sim.setSms(30, StoredSms{0, "0791246030500200040C9124603021436500004210120100000003CFA50C"});
    const std::string text = sim.toText();
    const SimStore back = SimStore::fromText(text);
    ASSERT_EQ(back.phoneBook().size(), 2u);
    EXPECT_EQ(back.entry(1)->shownNumber(), "+420603123456");
    EXPECT_EQ(back.entry(1)->type, 145);
    EXPECT_EQ(back.entry(1)->name, "Pe\"tr %1 \x9e\r");
    EXPECT_EQ(back.entry(250)->type, 129);
    EXPECT_EQ(back.entry(250)->name, "");
    ASSERT_NE(back.sms(30), nullptr);
    EXPECT_EQ(back.sms(30)->status, 0);
    EXPECT_EQ(back.toText(), text);
}

TEST(SimStore, HandWrittenStateIsAcceptedWithCommentsAndLowerCaseHex)
{
    const SimStore sim = SimStore::fromText("# demo\r\n\r\npb 5 145 +000000000001 Setup\r\n"
                                            "sms 2 2 0011000c912460302143650000040003cfa50c\n");
    EXPECT_EQ(sim.entry(5)->name, "Setup");
    EXPECT_EQ(sim.sms(2)->pdu, "0011000C912460302143650000040003CFA50C");
}

TEST(SimStore, BadStateLinesAreRefusedWithTheirLineNumber)
{
    const char* bad[] = {
        "pb 0 145 +1 x", "pb 251 145 +1 x", "pb 1 999 +1 x", "pb 1 145", "pb 1 145 +1 %4",
        "pb 1 145 +1 a b", "sms 31 2 0011", "sms 1 4 00110000", "sms 1 2 07912460", "sms 1 2",
        "phone 1", "pb x 145 +1",
    };
    for (const char* line : bad) {
        try {
            SimStore::fromText(std::string("# ok\n") + line + "\n");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const StateError& e) {
            EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
        }
    }
}

TEST(SimStore, LowestFreePositions)
{
    SimStore sim;
    EXPECT_EQ(sim.firstFreeEntry(), 1);
    sim.setEntry(1, makeEntry("1", std::nullopt, ""));
    sim.setEntry(3, makeEntry("3", std::nullopt, ""));
    EXPECT_EQ(sim.firstFreeEntry(), 2);
    sim.setSms(1, StoredSms{});
    sim.setSms(2, StoredSms{});
    sim.eraseSms(1);
    EXPECT_EQ(sim.addSms(StoredSms{}), 1);
    EXPECT_EQ(sim.addSms(StoredSms{}), 3);
}

TEST(Options, EveryOptionInBothSpellings)
{
    const RunOptions o = parseOptions({"--silent", "--no-echo", "--cmgr-empty-ok", "--delay-ms", "250",
                                       "--piece-bytes=3", "--piece-gap-ms", "40", "--error", "AT+CPBR",
                                       "--error=AT+CMGR", "--reply", "AT+CMGR=1", "=\\r\\nX\\x1a", "--state",
                                       "s.txt", "--transcript=t.txt", "--link", "/tmp/com1", "--mute-after", "2",
                                       "--cmgw-from=4", "--sms-capacity", "9"});
    EXPECT_TRUE(o.phone.silent);
    EXPECT_FALSE(o.phone.echo);
    EXPECT_TRUE(o.phone.emptyCmgrOk);
    EXPECT_EQ(o.delayMs, 250);
    EXPECT_EQ(o.pieceBytes, 3);
    EXPECT_EQ(o.pieceGapMs, 40);
    EXPECT_EQ(o.phone.errorPrefixes, (std::vector<std::string>{"AT+CPBR", "AT+CMGR"}));
    ASSERT_EQ(o.phone.replies.size(), 1u);
    EXPECT_EQ(o.phone.replies[0].first, "AT+CMGR=1");
    EXPECT_EQ(o.phone.replies[0].second, "=\r\nX\x1a");
    EXPECT_EQ(o.statePath, "s.txt");
    EXPECT_EQ(o.transcriptPath, "t.txt");
    EXPECT_EQ(o.linkPath, "/tmp/com1");
    EXPECT_EQ(o.phone.answerLimit, 2);
    EXPECT_EQ(o.phone.smsFirstFree, 4);
    EXPECT_EQ(o.phone.smsCapacity, 9);

    const RunOptions d = parseOptions({});
    EXPECT_TRUE(d.phone.echo);
    EXPECT_FALSE(d.phone.silent);
    EXPECT_EQ(d.delayMs, 0);
}

TEST(Options, MistakesAreUsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--delay-ms"}, {"--delay-ms", "-5"}, {"--delay-ms", "1s"}, {"--delay-ms", "99999999"},
        {"--silent=1"}, {"--reply", "AT"}, {"--reply", "", "x"}, {"--error", ""}, {"--frobnicate"},
        {"AT"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(parseOptions(args), UsageError) << args[0];
}

TEST(Transcript, EscapingShowsControlBytesAndKeepsBackslashesApart)
{
    EXPECT_EQ(escapeBytes("AT\r\r\nOK\r\n"), "AT\\r\\r\\nOK\\r\\n");
    EXPECT_EQ(escapeBytes(std::string("\x1a\x1b\\\x9e\0", 5)), "\\x1a\\x1b\\\\\\x9e\\x00");
    EXPECT_EQ(escapeBytes("\r\n> "), "\\r\\n> ");
    EXPECT_EQ(unescape("\\x1a\\\\r\\q"), "\x1a\\rq");
}

// A phone-book write with an empty number used to save as a blank word, so the name was read
// back as the number, or the line was refused when the name was empty too.
TEST(SimStore, EmptyNumberAndNameKeepTheirPlaceInTheStateText)
{
    SimStore sim;
    sim.setEntry(2, makeEntry("", 129, "Prazdne"));
    sim.setEntry(3, makeEntry("", 129, ""));
    sim.setEntry(4, makeEntry("1", 129, "\"\""));
    const std::string text = sim.toText();
    const SimStore back = SimStore::fromText(text);
    ASSERT_EQ(back.phoneBook().size(), 3u);
    EXPECT_EQ(back.entry(2)->digits, "");
    EXPECT_EQ(back.entry(2)->name, "Prazdne");
    EXPECT_EQ(back.entry(3)->digits, "");
    EXPECT_EQ(back.entry(3)->name, "");
    EXPECT_EQ(back.entry(4)->name, "\"\"");
    EXPECT_EQ(back.toText(), text);
}
