#include "NumberTransfer.h"
#include "AtCommands.h"
#include "PhoneReply.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva::numbers;
using kva::phoneBookDeleteCommand;
using kva::phoneBookWriteCommand;

namespace {

// The phone's answer to "AT+CPBR=n": echo, CR LF, the result line, CR LF, CR LF, OK, CR LF.
QString answer(int asked, const QString& line)
{
    return kva::phoneBookReadCommand(asked) + QStringLiteral("\r\n") + line + QStringLiteral("\r\n\r\nOK\r\n");
}

} // namespace

TEST(NumberCommands, WriteAndDeleteAreBuiltExactly)
{
    EXPECT_EQ(phoneBookWriteCommand(1, QStringLiteral("+420603123456"), QStringLiteral("Priklad")),
              QStringLiteral("AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r"));
    // Empty name: two commas, two double quotes, CR.
    EXPECT_EQ(phoneBookWriteCommand(4, QStringLiteral("+420777000111"), QString()),
              QStringLiteral("AT+CPBW=4,\"+420777000111\",,\"\"\r"));
    // Double quotes go unchanged, diacritics too (converted to Windows-1250 when sent).
    EXPECT_EQ(phoneBookWriteCommand(7, QStringLiteral("+42060312345\""), QStringLiteral("Pa\"pa Udrzení")),
              QStringLiteral("AT+CPBW=7,\"+42060312345\"\",,\"Pa\"pa Udrzení\"\r"));
    EXPECT_EQ(phoneBookDeleteCommand(3), QStringLiteral("AT+CPBW=3\r"));
}

TEST(NumberCommands, ControlCharactersAreSentAsBlanks)
{
    // CR would end the command early, Ctrl-Z / ESC end or cancel a text on the phone.
    const QString number = QStringLiteral("+42060312\r\n\x1a\x1b");
    const QString name = QStringLiteral("a\rb\nc\x1a" "d\x1b" "e\tf\x7fg\x01");
    const QString cmd = phoneBookWriteCommand(2, number, name);
    EXPECT_EQ(cmd, QStringLiteral("AT+CPBW=2,\"+42060312    \",,\"a b c d e f g \"\r"));
    EXPECT_EQ(cmd.count(u'\r'), 1);
    EXPECT_TRUE(cmd.endsWith(u'\r'));
    EXPECT_EQ(entryCommand(2, {number, name}), cmd);
}

TEST(NumberCommands, AnEntryWithoutNumberIsDeletedAndItsNameNotSent)
{
    const Entries start = initialEntries();
    QStringList sent;
    for (int i = 0; i < EntryCount; ++i)
        sent << entryCommand(SimPositions[i], start[i]);
    EXPECT_EQ(sent, (QStringList{QStringLiteral("AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r"), QStringLiteral("AT+CPBW=2\r"),
                                 QStringLiteral("AT+CPBW=3\r"), QStringLiteral("AT+CPBW=4\r"), QStringLiteral("AT+CPBW=7\r")}));
    // A blank is a number: written, not deleted.
    EXPECT_EQ(entryCommand(3, {QStringLiteral(" "), QStringLiteral("x")}), QStringLiteral("AT+CPBW=3,\" \",,\"x\"\r"));
}

TEST(NumberReadSteps, PositionsGaugeAndStepValues)
{
    QList<int> order;
    QList<int> gauge;
    for (int p = SimPositions[0]; p != 0; p = nextReadPosition(p)) {
        order << p;
        gauge << gaugeAfterRead(p);
    }
    EXPECT_EQ(order, (QList<int>{1, 2, 3, 4, 7}));
    EXPECT_EQ(gauge, (QList<int>{20, 40, 60, 80, 100}));
    for (int step : {ReadProbeStep, WriteProbeStep, 5, 6, 8, 11, -1})
        EXPECT_FALSE(isReadStep(step)) << step;
    EXPECT_EQ(nextReadPosition(5), 0);
    EXPECT_EQ(entryIndex(7), 4);
    EXPECT_EQ(entryIndex(5), -1);
}

TEST(NumberReadReply, EntryEmptyPositionAndFixedPlaces)
{
    const std::optional<Entry> e =
        decodeReadReply(answer(1, QStringLiteral("+CPBR: 1,\"+420603123456\",145,\"Priklad\"")), 1);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, QStringLiteral("+420603123456"));
    EXPECT_EQ(e->name, QStringLiteral("Priklad"));

    EXPECT_FALSE(decodeReadReply(QStringLiteral("AT+CPBR=2\r\r\nOK\r\n"), 2));
    EXPECT_FALSE(decodeReadReply(QStringLiteral(" "), 3)); // nothing came
    EXPECT_FALSE(decodeReadReply(QStringLiteral("AT+CPBR=3\r\r\nERROR\r\n"), 3));
    EXPECT_FALSE(decodeReadReply(QStringLiteral("AT+CPBR=3\r"), 3)); // the echo alone

    // A name with a double quote stops there; an empty name is empty.
    EXPECT_EQ(decodeReadReply(answer(7, QStringLiteral("+CPBR: 7,\"+420603123456\",145,\"Pa\"pa\"")), 7)->name,
              QStringLiteral("Pa"));
    EXPECT_EQ(decodeReadReply(answer(4, QStringLiteral("+CPBR: 4,\"+420603123456\",145,\"\"")), 4)->name, QString());

    // A number of another length is still read at the same places: 13 characters from the
    // 23rd, the name from the 43rd.
    const std::optional<Entry> shortNumber =
        decodeReadReply(answer(4, QStringLiteral("+CPBR: 4,\"+4206031\",145,\"Jan Novak\"")), 4);
    ASSERT_TRUE(shortNumber);
    EXPECT_EQ(shortNumber->number, QStringLiteral("+4206031\",145"));
    EXPECT_EQ(shortNumber->name, QStringLiteral("ovak"));
}

TEST(NumberReadReply, OnlyTheAnswerToItsOwnCommandCounts)
{
    const QString late = QStringLiteral("+CPBR: 1,\"+420603123456\",145,\"Priklad\"");
    // The answer to position 1 arrives after the echo of the command for position 2.
    EXPECT_FALSE(decodeReadReply(answer(2, late), 2));
    // No echo of the command: not this position's answer.
    EXPECT_FALSE(decodeReadReply(QStringLiteral("\r\n") + late + QStringLiteral("\r\n\r\nOK\r\n"), 1));
    // Merged answers: each position takes the one after its own echo.
    const QString merged = answer(1, late) + answer(2, QStringLiteral("+CPBR: 2,\"+420777000222\",145,\"Dva\""));
    EXPECT_EQ(decodeReadReply(merged, 1)->name, QStringLiteral("Priklad"));
    EXPECT_EQ(decodeReadReply(merged, 2)->number, QStringLiteral("+420777000222"));
    EXPECT_FALSE(decodeReadReply(merged, 3));
    // 10 000 bytes of garbage after the echo, and garbage alone.
    EXPECT_FALSE(decodeReadReply(kva::phoneBookReadCommand(3) + QString(10000, u'\x7f'), 3));
    EXPECT_FALSE(decodeReadReply(QString(10000, u'+'), 3));
}
