#include "PhoneModel.h"

#include <gtest/gtest.h>

using namespace phonesim;

namespace {

const std::string kOk = "\r\nOK\r\n";
// SMS-SUBMIT "OK2" to +420603123456 with the SMS centre +420603052000: 17 TPDU octets.
const std::string kSubmitOk2 = "079124603050020011000c9124603021436500000403cfa50c";
// SMS-DELIVER "Poplach" from +420603123456: 26 TPDU octets.
const std::string kDeliverPoplach =
    "0791246030500200040C9124603021436500004210120100000007D0379C1D1EA301";

std::string talk(PhoneModel& phone, const std::string& bytes)
{
    return joined(phone.feed(bytes));
}

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The answer to one command, after checking its echo.
std::string answer(PhoneModel& phone, const std::string& command)
{
    const std::string out = talk(phone, command);
    EXPECT_EQ(out.substr(0, command.size()), command);
    return out.substr(command.size());
}

// Stores a PDU through AT+CMGW and returns the phone's answer after the prompt.
std::string storePdu(PhoneModel& phone, const std::string& pdu, int length)
{
    const std::string prompt = talk(phone, "AT+CMGW=" + std::to_string(length) + "\r");
    EXPECT_EQ(prompt, "AT+CMGW=" + std::to_string(length) + "\r\r\n> ");
    return talk(phone, pdu + "\x1a").substr(pdu.size() + 1);
}

} // namespace

TEST(PhoneModel, ProbeIsEchoedWithItsCrThenFramedOk)
{
    PhoneModel phone;
    const auto out = phone.feed("AT\r");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], (Output{Output::Echo, "AT\r"}));
    EXPECT_EQ(out[1], (Output{Output::Answer, kOk}));
    EXPECT_EQ(joined(out)[5], 'O'); // the 6th character the program tests
}

TEST(PhoneModel, EchoFollowsAte0AndAte1AndTheNoEchoOption)
{
    PhoneModel phone;
    EXPECT_EQ(talk(phone, "ATE0\r"), "ATE0\r" + kOk); // echoed: echo was on when it came
    EXPECT_EQ(talk(phone, "AT\r"), kOk);
    EXPECT_EQ(talk(phone, "ATE1\r"), kOk);
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);

    PhoneOptions quiet;
    quiet.echo = false;
    PhoneModel noEcho(quiet);
    EXPECT_EQ(talk(noEcho, "AT\r"), kOk);
    EXPECT_FALSE(noEcho.echo());
}

TEST(PhoneModel, PhoneBookReadMatchesTheFixedCharacterPositions)
{
    PhoneModel phone;
    EXPECT_EQ(talk(phone, "AT+CPBW=5,\"+000000000001\",,\"Setup\"\r"),
              "AT+CPBW=5,\"+000000000001\",,\"Setup\"\r" + kOk);
    const std::string reply = talk(phone, "AT+CPBR=5\r");
    EXPECT_EQ(reply, "AT+CPBR=5\r\r\n+CPBR: 5,\"+000000000001\",145,\"Setup\"\r\n\r\nOK\r\n");
    // positions counted from 1: '+' at 13, number at 23..35, type at 38..40, name from 43
    EXPECT_EQ(reply[12], '+');
    EXPECT_EQ(reply.substr(22, 13), "+000000000001");
    EXPECT_EQ(reply.substr(37, 3), "145");
    EXPECT_EQ(reply.substr(42, 6), "Setup\"");

    const std::string empty = talk(phone, "AT+CPBR=6\r");
    EXPECT_EQ(empty, "AT+CPBR=6\r" + kOk);
    EXPECT_EQ(empty[12], 'O');
}

TEST(PhoneModel, PhoneBookTypeFollowsThePlusUnlessGiven)
{
    PhoneModel phone;
    talk(phone, "AT+CPBW=1,\"+420603123456\",,\"A\"\r");
    talk(phone, "AT+CPBW=2,\"603123456\",,\"B\"\r");
    talk(phone, "AT+CPBW=3,\"420603123456\",145,\"C\"\r");
    talk(phone, "AT+CPBW=4,\"123\"\r");
    EXPECT_EQ(talk(phone, "AT+CPBR=1,4\r"),
              "AT+CPBR=1,4\r"
              "\r\n+CPBR: 1,\"+420603123456\",145,\"A\""
              "\r\n+CPBR: 2,\"603123456\",129,\"B\""
              "\r\n+CPBR: 3,\"+420603123456\",145,\"C\""
              "\r\n+CPBR: 4,\"123\",129,\"\""
              "\r\n\r\nOK\r\n");
}

TEST(PhoneModel, PhoneBookWriteDeleteAndOverwrite)
{
    PhoneModel phone;
    talk(phone, "AT+CPBW=7,\"+420603123456\",,\"Udrzeni\"\r");
    EXPECT_TRUE(phone.takeChanged());
    talk(phone, "AT+CPBW=7,\"+420603000000\",,\"Jiny\"\r");
    EXPECT_EQ(phone.store().entry(7)->shownNumber(), "+420603000000");
    EXPECT_EQ(phone.store().entry(7)->name, "Jiny");
    EXPECT_EQ(talk(phone, "AT+CPBW=7\r"), "AT+CPBW=7\r" + kOk);
    EXPECT_EQ(phone.store().entry(7), nullptr);
    EXPECT_EQ(talk(phone, "AT+CPBR=7\r"), "AT+CPBR=7\r" + kOk);
    // deleting an empty position is fine too
    EXPECT_EQ(talk(phone, "AT+CPBW=3\r"), "AT+CPBW=3\r" + kOk);
    // an empty index takes the first free position
    talk(phone, "AT+CPBW=1,\"1\"\r");
    talk(phone, "AT+CPBW=,\"2\",,\"x\"\r");
    EXPECT_EQ(phone.store().entry(2)->digits, "2");
}

TEST(PhoneModel, NameKeepsDoubleQuotesAndEightBitBytes)
{
    PhoneModel phone;
    talk(phone, "AT+CPBW=1,\"+420603123456\",,\"Pe\"tr\"\r");
    EXPECT_EQ(phone.store().entry(1)->name, "Pe\"tr");
    const std::string reply = talk(phone, "AT+CPBR=1\r");
    EXPECT_NE(reply.find(",145,\"Pe\"tr\"\r\n"), std::string::npos);

    const std::string cp1250 = "Udr\x9e" "en\xed"; // "Udržení" in Windows-1250
    talk(phone, "AT+CPBW=2,\"+420603123456\",,\"" + cp1250 + "\"\r");
    EXPECT_EQ(phone.store().entry(2)->name, cp1250);
    talk(phone, "AT+CPBW=3,\"+420603123456\",,\"\"\r");
    EXPECT_EQ(phone.store().entry(3)->name, "");
}

TEST(PhoneModel, PhoneBookRejectsBadIndexSyntaxAndDialStrings)
{
    PhoneModel phone;
    const std::string invalidIndex = "\r\n+CME ERROR: 21\r\n";
    const std::string error = "\r\nERROR\r\n";
    EXPECT_EQ(answer(phone, "AT+CPBW=251,\"1\",,\"x\"\r"), invalidIndex);
    EXPECT_EQ(answer(phone, "AT+CPBR=0\r"), invalidIndex);
    EXPECT_EQ(answer(phone, "AT+CPBR=251\r"), invalidIndex);
    EXPECT_EQ(answer(phone, "AT+CPBR=x\r"), error);
    EXPECT_EQ(answer(phone, "AT+CPBW=1,+420\r"), error);
    EXPECT_EQ(answer(phone, "AT+CPBW=1,\"+420\",,Name\r"), error);
    EXPECT_EQ(answer(phone, "AT+CPBW=1,\"+420\",1x,\"N\"\r"), error);
    EXPECT_EQ(answer(phone, "AT+CPBW=1,\"42a\",,\"N\"\r"), "\r\n+CME ERROR: 27\r\n");
    EXPECT_EQ(answer(phone, "AT+CPBW=1,\"+123456789012345678901\"\r"), "\r\n+CME ERROR: 26\r\n");
    EXPECT_TRUE(phone.store().phoneBook().empty());
    EXPECT_FALSE(phone.takeChanged());
}

TEST(PhoneModel, CommandsInPiecesAndSeveralInOneChunk)
{
    PhoneModel whole;
    PhoneModel pieces;
    const std::string dialogue = "AT\rAT+CPBW=5,\"+000000000001\",,\"Setup\"\rAT+CPBR=5\r";
    std::string bytewise;
    for (char c : dialogue)
        bytewise += talk(pieces, std::string(1, c));
    const auto out = whole.feed(dialogue);
    EXPECT_EQ(bytewise, joined(out));
    // echo and answer alternate in order, so a delayed answer can be placed after its echo
    ASSERT_EQ(out.size(), 6u);
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(out[i].kind, i % 2 == 0 ? Output::Echo : Output::Answer) << i;
    EXPECT_EQ(out[4].bytes, "AT+CPBR=5\r");
}

TEST(PhoneModel, AnythingElseIsErrorAndBlankLinesAreIgnored)
{
    PhoneModel phone;
    EXPECT_EQ(talk(phone, "AT+CGSN\r"), "AT+CGSN\r\r\nERROR\r\n");
    EXPECT_EQ(talk(phone, "hello\r"), "hello\r\r\nERROR\r\n");
    EXPECT_EQ(talk(phone, "\r"), "\r");
    EXPECT_EQ(talk(phone, "\n"), "\n");
    EXPECT_EQ(talk(phone, "at\r\n"), "at\r" + kOk + "\n"); // lower case; the LF is echoed after
    EXPECT_EQ(talk(phone, "AX\bT\r"), "AX\bT\r" + kOk); // backspace edits the line
}

TEST(PhoneModel, GarbageOverlongLineGivesOneErrorAndThePhoneRecovers)
{
    PhoneModel phone;
    const std::string garbage(10000, 'x');
    const auto out = phone.feed(garbage + "\r");
    EXPECT_EQ(joined(out), garbage + "\r\r\nERROR\r\n");
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);
}

TEST(PhoneModel, StoredPduGoesToTheLowestFreePositionAndReadsBack)
{
    PhoneModel phone;
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 1\r\n" + kOk);
    EXPECT_TRUE(phone.takeChanged());
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 2\r\n" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 3\r\n" + kOk);
    EXPECT_EQ(talk(phone, "AT+CMGD=2\r"), "AT+CMGD=2\r" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 2\r\n" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 4\r\n" + kOk);

    EXPECT_EQ(talk(phone, "AT+CMGR=1\r"),
              "AT+CMGR=1\r\r\n+CMGR: 2,,17\r\n" + upper(kSubmitOk2) + "\r\n\r\nOK\r\n");
}

TEST(PhoneModel, PduMayArriveInPiecesWithLineBreaks)
{
    PhoneModel phone;
    talk(phone, "AT+CMGW=17\r");
    std::string answer;
    for (size_t i = 0; i < kSubmitOk2.size(); i += 7)
        answer += talk(phone, kSubmitOk2.substr(i, 7));
    EXPECT_EQ(answer, kSubmitOk2); // echoed, no answer before Ctrl-Z
    EXPECT_EQ(talk(phone, "\r\n\x1a"), "\r\n\x1a\r\n+CMGW: 1\r\n" + kOk);
}

TEST(PhoneModel, PduLengthMismatchOrBadHexIsRefusedAndNothingStored)
{
    PhoneModel phone;
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 18), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 25), "\r\n+CMS ERROR: 304\r\n"); // counted with the centre
    EXPECT_EQ(storePdu(phone, kSubmitOk2.substr(1), 17), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(storePdu(phone, "07912460305002001100zz", 3), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(storePdu(phone, "", 1), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(storePdu(phone, std::string(600, '0'), 17), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_TRUE(phone.store().messages().empty());
    EXPECT_EQ(talk(phone, "AT+CMGW=0\r"), "AT+CMGW=0\r\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(talk(phone, "AT+CMGW=x\r"), "AT+CMGW=x\r\r\nERROR\r\n");
    // the phone is back in command mode after each refusal
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);
}

TEST(PhoneModel, EscCancelsThePduEntry)
{
    PhoneModel phone;
    talk(phone, "AT+CMGW=17\r");
    EXPECT_EQ(talk(phone, kSubmitOk2 + "\x1b"), kSubmitOk2 + "\x1b" + kOk);
    EXPECT_TRUE(phone.store().messages().empty());
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);
}

TEST(PhoneModel, StoreFullAfterThirtyMessages)
{
    PhoneModel phone;
    for (int i = 1; i <= 30; ++i)
        ASSERT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: " + std::to_string(i) + "\r\n" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMS ERROR: 322\r\n");
}

TEST(PhoneModel, ReceivedMessageReadsWithItsStatusAndBecomesRead)
{
    SimStore sim;
    sim.setSms(3, StoredSms{0, kDeliverPoplach});
    PhoneModel phone({}, sim);
    EXPECT_EQ(talk(phone, "AT+CMGR=3\r"),
              "AT+CMGR=3\r\r\n+CMGR: 0,,26\r\n" + kDeliverPoplach + "\r\n\r\nOK\r\n");
    EXPECT_TRUE(phone.takeChanged());
    EXPECT_EQ(talk(phone, "AT+CMGR=3\r").substr(10, 17), "\r\n+CMGR: 1,,26\r\n0");
}

TEST(PhoneModel, ReadAndDeleteOfEmptyOrInvalidPositions)
{
    PhoneModel phone;
    EXPECT_EQ(talk(phone, "AT+CMGR=4\r"), "AT+CMGR=4\r\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(talk(phone, "AT+CMGR=31\r"), "AT+CMGR=31\r\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(talk(phone, "AT+CMGD=4\r"), "AT+CMGD=4\r" + kOk);
    EXPECT_EQ(talk(phone, "AT+CMGD=0\r"), "AT+CMGD=0\r\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(talk(phone, "AT+CMGD=1,4\r"), "AT+CMGD=1,4\r\r\nERROR\r\n");
    EXPECT_FALSE(phone.takeChanged());

    PhoneOptions ok;
    ok.emptyCmgrOk = true;
    PhoneModel plain(ok);
    EXPECT_EQ(talk(plain, "AT+CMGR=4\r"), "AT+CMGR=4\r" + kOk);
}

TEST(PhoneModel, ErrorAndReplyOptionsOverrideChosenCommands)
{
    PhoneOptions o;
    o.errorPrefixes = {"at+cpbr"};
    o.replies = {{"AT+CMGR=1", "\r\n+CMGR: 2,,17\r\nnot hex\r\n\r\nOK\r\n"}};
    PhoneModel phone(o);
    EXPECT_EQ(talk(phone, "AT+CPBR=5\r"), "AT+CPBR=5\r\r\nERROR\r\n");
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);
    EXPECT_EQ(talk(phone, "AT+CMGR=1\r"), "AT+CMGR=1\r\r\n+CMGR: 2,,17\r\nnot hex\r\n\r\nOK\r\n");
    EXPECT_EQ(talk(phone, "AT+CMGR=2\r"), "AT+CMGR=2\r\r\n+CMS ERROR: 321\r\n");
}

TEST(PhoneModel, SilentPhoneAnswersNothingAndChangesNothing)
{
    PhoneOptions o;
    o.silent = true;
    PhoneModel phone(o);
    EXPECT_TRUE(phone.feed("AT\rAT+CPBW=1,\"1\"\r").empty());
    EXPECT_TRUE(phone.store().phoneBook().empty());
}

TEST(PhoneModel, ResetInputDropsAHalfCommandOrPdu)
{
    PhoneModel phone;
    talk(phone, "AT+CPB");
    phone.resetInput();
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);
    talk(phone, "AT+CMGW=17\r0791");
    phone.resetInput();
    EXPECT_EQ(talk(phone, "AT\r"), "AT\r" + kOk);
    EXPECT_TRUE(phone.store().messages().empty());
}

TEST(PhoneModel, RefusalOptionsForConfirmedWrites)
{
    PhoneOptions o;
    o.smsFirstFree = 3;  // the phone does not take the lowest free position
    o.smsCapacity = 2;   // and is full after two messages
    PhoneModel phone(o);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 3\r\n" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 4\r\n" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMS ERROR: 322\r\n");

    PhoneOptions m;
    m.answerLimit = 1;   // answers the probe, then only echoes
    PhoneModel mute(m);
    EXPECT_EQ(talk(mute, "AT\r"), "AT\r" + kOk);
    EXPECT_EQ(talk(mute, "AT+CPBW=1,\"+420603123456\",,\"A\"\r"), "AT+CPBW=1,\"+420603123456\",,\"A\"\r");
    EXPECT_EQ(talk(mute, "AT\r"), "AT\r");
}

TEST(PhoneModel, IdentificationAndStoreSizes)
{
    SimStore store;
    store.setEntry(5, makeEntry("+000000000001", std::nullopt, "Setup"));
    store.addSms({2, kSubmitOk2});
    PhoneModel phone({}, store);
    EXPECT_EQ(answer(phone, "AT+CGMI\r"), "\r\nSimfon\r\n" + kOk);
    EXPECT_EQ(answer(phone, "at+cgmm\r"), "\r\nSF-1 phonesim\r\n" + kOk);
    EXPECT_EQ(answer(phone, "AT+CPBS?\r"), "\r\n+CPBS: \"SM\",1,250\r\n" + kOk);
    EXPECT_EQ(answer(phone, "AT+CPBR=?\r"), "\r\n+CPBR: (1-250),20,14\r\n" + kOk);
    EXPECT_EQ(answer(phone, "AT+CPMS?\r"), "\r\n+CPMS: \"SM\",1,30,\"SM\",1,30,\"SM\",1,30\r\n" + kOk);
}

TEST(PhoneModel, FloodingAndVanishingPhones)
{
    PhoneOptions flood;
    flood.floodBytes = 100000;
    PhoneModel noisy(flood);
    const std::string out = answer(noisy, "AT\r");
    EXPECT_EQ(out.size(), 100000u);
    EXPECT_EQ(out.find("OK"), std::string::npos);

    PhoneOptions vanish;
    vanish.vanishPrefix = "AT+CGMM";
    PhoneModel phone(vanish);
    EXPECT_EQ(answer(phone, "AT\r"), kOk);
    EXPECT_EQ(talk(phone, "AT+CGMM\rAT\r"), "AT+CGMM\r"); // the echo, then nothing more
    EXPECT_TRUE(phone.vanished());
    EXPECT_EQ(talk(phone, "AT\r"), "");
}

TEST(PhoneModel, PhoneMemoryKeepsWritesOffTheSimUntilTheSimIsChosen)
{
    PhoneOptions o;
    o.phoneMemory = true;
    PhoneModel phone(o);
    EXPECT_EQ(answer(phone, "AT+CPBS?\r"), "\r\n+CPBS: \"ME\",0,250\r\n" + kOk);
    EXPECT_EQ(answer(phone, "AT+CPBW=5,\"+000000000001\",,\"Setup\"\r"), kOk);
    EXPECT_EQ(phone.store().entry(5), nullptr);
    ASSERT_NE(phone.phoneStore().entry(5), nullptr);
    EXPECT_EQ(answer(phone, "AT+CPBS=\"SM\"\r"), kOk);
    EXPECT_EQ(answer(phone, "AT+CPBW=5,\"+000000000001\",,\"Setup\"\r"), kOk);
    EXPECT_NE(phone.store().entry(5), nullptr);

    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 1\r\n" + kOk);
    EXPECT_EQ(phone.store().sms(1), nullptr); // the phone's memory
    EXPECT_EQ(answer(phone, "AT+CPMS=\"SM\",\"SM\",\"SM\"\r"), "\r\n+CPMS: 0,30,0,30,0,30\r\n" + kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 1\r\n" + kOk);
    EXPECT_NE(phone.store().sms(1), nullptr);
}

TEST(PhoneModel, TextModeTakesThePduAsTextAndClaimsAPosition)
{
    PhoneOptions o;
    o.textMode = true;
    PhoneModel phone(o);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 1\r\n" + kOk);
    EXPECT_EQ(phone.store().sms(1), nullptr);
    EXPECT_EQ(phone.textMessages(), 1u);
    EXPECT_EQ(answer(phone, "AT+CMGF=0\r"), kOk);
    EXPECT_EQ(storePdu(phone, kSubmitOk2, 17), "\r\n+CMGW: 1\r\n" + kOk);
    EXPECT_NE(phone.store().sms(1), nullptr);
}

TEST(PhoneModel, RefusalsEmptyDeleteErrorLatePromptAndNotice)
{
    PhoneOptions o;
    o.refuseSim = true;
    o.emptyDeleteError = true;
    o.promptDelayMs = 1500;
    o.promptNotice = true;
    PhoneModel phone(o);
    EXPECT_EQ(answer(phone, "AT+CPBS=\"SM\"\r"), "\r\n+CME ERROR: 3\r\n");
    EXPECT_EQ(answer(phone, "AT+CPMS=\"SM\",\"SM\",\"SM\"\r"), "\r\n+CMS ERROR: 302\r\n");
    EXPECT_EQ(answer(phone, "AT+CMGD=4\r"), "\r\nERROR\r\n");
    const auto out = phone.feed("AT+CMGW=17\r");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].bytes, "\r\n> \r\n+CMTI: \"SM\",1\r\n");
    EXPECT_EQ(out[1].extraDelayMs, 1500);
    // ESC leaves the message; ESC outside one drops the line typed so far.
    EXPECT_EQ(talk(phone, "\x1b"), "\x1b" + kOk);
    EXPECT_EQ(talk(phone, "AT+CPBR\x1b" "AT\r"), "AT+CPBR\x1b" "AT\r" + kOk);
}
