#include "Cp1250.h"
#include "PhoneReply.h"

#include <gtest/gtest.h>

namespace {

// The reply as the receive handler stores it: one character per received byte.
QString reply(const QByteArray& bytes)
{
    return kva::fromCp1250(bytes);
}

const QByteArray Entry5 = "AT+CPBR=5\r\r\n+CPBR: 5,\"+000000000011\",145,\"Setup\"\r\n\r\nOK\r\n";

} // namespace

TEST(PhoneReply, PositionsCountFromOneAndHoldNothingBeyondTheEnd)
{
    const QString r = reply("AT\r\r\nOK\r\n");
    EXPECT_EQ(kva::charAt(r, 1), u'A');
    EXPECT_EQ(kva::charAt(r, 6), u'O');
    EXPECT_TRUE(kva::charAt(r, 0).isNull());
    EXPECT_TRUE(kva::charAt(r, 10).isNull());
    EXPECT_TRUE(kva::charAt(QString(), 1).isNull());
    EXPECT_EQ(kva::textAt(r, 6, 2), QStringLiteral("OK"));
    EXPECT_EQ(kva::textAt(r, 8, 13), QStringLiteral("\r\n")); // fewer at the end
    EXPECT_EQ(kva::textAt(r, 10, 13), QString());
    EXPECT_EQ(kva::textAt(r, 0, 3), QString());
}

TEST(PhoneReply, ProbeNeedsTheOOfOkAtTheSixthCharacter)
{
    EXPECT_TRUE(kva::probeAnswered(reply("AT\r\r\nOK\r\n")));
    EXPECT_FALSE(kva::probeAnswered(reply("\r\nOK\r\n")));   // echo off
    EXPECT_FALSE(kva::probeAnswered(reply(" ")));            // no answer
    EXPECT_FALSE(kva::probeAnswered(reply("AT\r\r\n")));     // five characters only
    EXPECT_FALSE(kva::probeAnswered(reply("AT\r\r\nERROR\r\n")));
}

TEST(PhoneReply, EntryIsReadAtFixedPlacesCountedFromItsEcho)
{
    const kva::PhoneBookEntry e = kva::phoneBookEntry(reply(Entry5), 5);
    EXPECT_TRUE(e.present);
    EXPECT_EQ(e.number, QStringLiteral("+000000000011"));
    EXPECT_EQ(e.name, QStringLiteral("Setup"));

    // Something before the echo (the tail of an earlier answer) does not shift the places.
    const kva::PhoneBookEntry shifted = kva::phoneBookEntry(reply("\r\nOK\r\n" + Entry5), 5);
    EXPECT_TRUE(shifted.present);
    EXPECT_EQ(shifted.number, QStringLiteral("+000000000011"));
}

TEST(PhoneReply, EmptyPositionMissingEchoAndOtherPositionsCountAsNoEntry)
{
    EXPECT_FALSE(kva::phoneBookEntry(reply("AT+CPBR=5\r\r\nOK\r\n"), 5).present);
    // No echo of this command: a late answer to the probe, or nothing at all.
    EXPECT_FALSE(kva::phoneBookEntry(reply("AT\r\r\nOK\r\n"), 5).present);
    EXPECT_FALSE(kva::phoneBookEntry(reply(" "), 5).present);
    // Echo only (the answer is still on its way).
    EXPECT_FALSE(kva::phoneBookEntry(reply("AT+CPBR=5\r"), 5).present);
    // The phone answered the previous read late, after echoing this command.
    EXPECT_FALSE(kva::phoneBookEntry(reply("AT+CPBR=6\r\r\n+CPBR: 5,\"+000000000011\",145,\"Setup\"\r\n\r\nOK\r\n"), 6).present);
    EXPECT_FALSE(kva::phoneBookEntry(reply(Entry5), 6).present);
    // An error is no entry and is not decoded.
    EXPECT_FALSE(kva::phoneBookEntry(reply("AT+CPBR=5\r\r\nERROR\r\n"), 5).present);
    EXPECT_FALSE(kva::phoneBookEntry(reply("AT+CPBR=5\r\r\n+CME ERROR: 21\r\n"), 5).present);
}

TEST(PhoneReply, LateAnswerFollowedByTheRightOneTakesTheRightOne)
{
    const QByteArray merged = "\r\n+CPBR: 5,\"+000000000011\",145,\"Setup\"\r\n\r\nOK\r\n"
                              "AT+CPBR=6\r\r\n+CPBR: 6,\"+000000092310\",145,\"Casy\"\r\n\r\nOK\r\n";
    const kva::PhoneBookEntry e = kva::phoneBookEntry(reply(merged), 6);
    EXPECT_TRUE(e.present);
    EXPECT_EQ(e.number, QStringLiteral("+000000092310"));
    EXPECT_EQ(e.name, QStringLiteral("Casy"));
}

TEST(PhoneReply, ShortNumbersCutAnswersAndNamesStayWithinTheReply)
{
    // An ordinary number of 9 digits: the fixed places take the quote and the type.
    const kva::PhoneBookEntry shortNumber =
        kva::phoneBookEntry(reply("AT+CPBR=1\r\r\n+CPBR: 1,\"603123456\",129,\"Jan\"\r\n\r\nOK\r\n"), 1);
    EXPECT_TRUE(shortNumber.present);
    EXPECT_EQ(shortNumber.number, QStringLiteral("603123456\",12"));
    EXPECT_EQ(shortNumber.name, QStringLiteral("\r\n\r\nOK\r\n")); // no quote after position 43: to the end

    // The answer breaks off inside the number: fewer than 13 characters, no name.
    const kva::PhoneBookEntry cut = kva::phoneBookEntry(reply("AT+CPBR=5\r\r\n+CPBR: 5,\"+0000"), 5);
    EXPECT_TRUE(cut.present);
    EXPECT_EQ(cut.number, QStringLiteral("+0000"));
    EXPECT_EQ(cut.name, QString());

    // A name without its closing quote runs to the end; Windows-1250 bytes stay one character each.
    const kva::PhoneBookEntry open =
        kva::phoneBookEntry(reply("AT+CPBR=7\r\r\n+CPBR: 7,\"+420603123456\",145,\"Udr\x9e" "en\xed"), 7);
    EXPECT_EQ(open.name, QStringLiteral("Udržení"));
    EXPECT_EQ(kva::phoneBookReadCommand(7), QStringLiteral("AT+CPBR=7\r"));
}

TEST(PhoneReply, GarbageAndHugeRepliesAreHandled)
{
    QByteArray garbage(10000, '\xff');
    EXPECT_FALSE(kva::phoneBookEntry(reply(garbage), 5).present);
    EXPECT_FALSE(kva::probeAnswered(reply(garbage)));
    EXPECT_EQ(kva::pduLine(reply(garbage), 1), QString());
    QByteArray big = Entry5 + QByteArray(10000, 'x');
    EXPECT_EQ(kva::phoneBookEntry(reply(big), 5).number, QStringLiteral("+000000000011"));
}

