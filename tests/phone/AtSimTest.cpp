// The SIM served by a phone: the commands each request sends, their pacing on a manual clock,
// the checks of the phone's answers and the result of each position, against a scripted phone
// behind a fake port.
#include "AtCommands.h"
#include "AtSim.h"
#include "NumberTransfer.h"
#include "PhoneReply.h"
#include "QStringPrint.h"
#include "Scheduler.h"
#include "SmsEncoding.h"

#include <QList>
#include <QStringList>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>

using namespace kva;
using namespace kva::at;
using kva::sms::encodeSet;
using kva::sms::initialSet;
using kva::sms::PairCount;

namespace {

const QString Centre = QStringLiteral("+420603052000");
// The SIM's message storage and the PDU mode, selected before the first SMS command.
const QList<QByteArray> SmsMemory{"AT+CPMS=\"SM\",\"SM\",\"SM\"\r", "AT+CMGF=0\r"};
const QString Pdu1 = QStringLiteral("079124603050020011000C9124603021436500000403CFA50C");
const QString Pdu2 = QStringLiteral("079124603050020011000C9124603021436500000403CFA50D");

QString answer(int position, const QString& pdu)
{
    return QStringLiteral("AT+CMGR=%1\r\r\n+CMGR: 2,,17\r\n%2\r\n\r\nOK\r\n").arg(position).arg(pdu);
}

// The phone's answer to "AT+CPBR=n": echo, CR LF, the result line, CR LF, CR LF, OK, CR LF.
QString phoneBookAnswer(int asked, const QString& line)
{
    return kva::phoneBookReadCommand(asked) + QStringLiteral("\r\n") + line + QStringLiteral("\r\n\r\nOK\r\n");
}

std::optional<sim::PhoneBookEntry> decodeReadReply(const QString& reply, int position)
{
    const sim::PositionResult r = phoneBookResult(reply, position);
    EXPECT_EQ(r.position, position);
    if (!r.found())
        return std::nullopt;
    return r.entry;
}

// A phone on the other end: what it answers to each command, echo not included (a good phone
// by default).
using Phone = std::function<QString(const QByteArray& command, int storedSoFar)>;

QString goodPhone(const QByteArray& command, int storedSoFar)
{
    if (command.startsWith("AT+CMGW="))
        return QStringLiteral("\r\n> ");
    if (command.endsWith('\x1a'))
        return QStringLiteral("\r\n+CMGW: %1\r\n\r\nOK\r\n").arg(storedSoFar + 1);
    return QStringLiteral("\r\nOK\r\n");
}

using Request = std::function<sim::SimAccess::Start(sim::SimAccess&, sim::Progress)>;

Request store(const std::array<kva::sms::EncodedSms, PairCount>& encoded)
{
    QList<sim::MessageToStore> messages;
    for (const kva::sms::EncodedSms& e : encoded)
        messages.append({e.pduText, e.tpduLength});
    return [messages](sim::SimAccess& s, sim::Progress p) { return s.storeMessages(messages, std::move(p)); };
}

Request erase()
{
    return [](sim::SimAccess& s, sim::Progress p) { return s.deleteMessages({1, 2, 3, 4, 5, 6, 7, 8, 9}, std::move(p)); };
}

// One request played to its end against `phone`: what was sent and when, the gauge at each
// command, the status texts, the positions confirmed, and how it ended.
struct Played {
    kva::ManualClock clock;
    kva::PhoneChannel channel;
    kva::AtSim sim{channel};
    QList<QByteArray> sent;
    QList<int> gaugeAtSend;
    QList<qint64> sentAt;
    QStringList statuses;
    QList<int> written;
    QList<int> deleted;
    QList<sim::PositionResult> found;
    int gauge = 0;
    bool finished = false;
    bool stopped = false;
    QString error; // the box text when the request stopped
    bool silent = false;

    // `connect`: before the request starts, e.g. to listen to more of the SIM's signals.
    explicit Played(const Request& request, Phone phone = goodPhone,
                    const std::function<void(sim::SimAccess&)>& connect = {})
    {
        if (connect)
            connect(sim);
        int stored = 0;
        QByteArray waiting;
        channel.setScheduler(clock);
        channel.setPort({
            [] { return true; },
            [&, this](const QByteArray& b) {
                sent << b;
                gaugeAtSend << gauge;
                sentAt << clock.nowMs();
                const QString reply = phone(b, stored);
                if (reply.contains(u"+CMGW:"))
                    ++stored;
                waiting += b + reply.toLatin1(); // the phone echoes the command
                channel.dataReceived();
            },
            [&] { return std::exchange(waiting, QByteArray()); },
        });
        QObject::connect(&sim, &sim::SimAccess::failed, [this](const QString& m) { error = m; });
        QObject::connect(&sim, &sim::SimAccess::silent, [this](const QString&) { silent = true; });
        sim::Progress p;
        p.working = [this](const QString& text) { statuses << text; };
        p.progress = [this](int value) { gauge = std::clamp(value, 0, 100); };
        p.finished = [this](const QString& text) {
            statuses << text;
            finished = true;
        };
        p.stopped = [this] { stopped = true; };
        p.positionDone = [this](const sim::PositionResult& r) {
            if (r.outcome == sim::PositionResult::Written)
                written << r.position;
            else if (r.outcome == sim::PositionResult::Deleted)
                deleted << r.position;
            else
                found << r;
        };
        EXPECT_EQ(request(sim, p), sim::SimAccess::Start::Started);
        clock.runUntilIdle();
        EXPECT_FALSE(channel.busy());
    }
};

} // namespace

TEST(AtPhoneBook, WriteAndDeleteAreBuiltExactly)
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

TEST(AtPhoneBook, ControlCharactersAreSentAsBlanks)
{
    // CR would end the command early, Ctrl-Z / ESC end or cancel a text on the phone.
    const QString number = QStringLiteral("+42060312\r\n\x1a\x1b");
    const QString name = QStringLiteral("a\rb\nc\x1a" "d\x1b" "e\tf\x7fg\x01");
    const QString cmd = phoneBookWriteCommand(2, number, name);
    EXPECT_EQ(cmd, QStringLiteral("AT+CPBW=2,\"+42060312    \",,\"a b c d e f g \"\r"));
    EXPECT_EQ(cmd.count(u'\r'), 1);
    EXPECT_TRUE(cmd.endsWith(u'\r'));
    EXPECT_EQ(entryCommand({2, number, name}), cmd);
}

TEST(AtPhoneBook, AnEntryWithoutNumberIsDeletedAndItsNameNotSent)
{
    QStringList sent;
    for (const kva::sim::EntryToWrite& e : kva::numbers::writeRequest(kva::numbers::initialEntries()))
        sent << entryCommand(e);
    EXPECT_EQ(sent, (QStringList{QStringLiteral("AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r"), QStringLiteral("AT+CPBW=2\r"),
                                 QStringLiteral("AT+CPBW=3\r"), QStringLiteral("AT+CPBW=4\r"), QStringLiteral("AT+CPBW=7\r")}));
    // A blank is a number: written, not deleted.
    EXPECT_EQ(entryCommand({3, QStringLiteral(" "), QStringLiteral("x")}), QStringLiteral("AT+CPBW=3,\" \",,\"x\"\r"));
}

TEST(AtPhoneBook, EntryEmptyPositionAndFixedPlaces)
{
    const std::optional<sim::PhoneBookEntry> e =
        decodeReadReply(phoneBookAnswer(1, QStringLiteral("+CPBR: 1,\"+420603123456\",145,\"Priklad\"")), 1);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, QStringLiteral("+420603123456"));
    EXPECT_EQ(e->name, QStringLiteral("Priklad"));

    EXPECT_FALSE(decodeReadReply(QStringLiteral("AT+CPBR=2\r\r\nOK\r\n"), 2));
    EXPECT_FALSE(decodeReadReply(QStringLiteral(" "), 3)); // nothing came
    EXPECT_FALSE(decodeReadReply(QStringLiteral("AT+CPBR=3\r\r\nERROR\r\n"), 3));
    EXPECT_FALSE(decodeReadReply(QStringLiteral("AT+CPBR=3\r"), 3)); // the echo alone

    // A name with a double quote stops there; an empty name is empty.
    EXPECT_EQ(decodeReadReply(phoneBookAnswer(7, QStringLiteral("+CPBR: 7,\"+420603123456\",145,\"Pa\"pa\"")), 7)->name,
              QStringLiteral("Pa"));
    EXPECT_EQ(decodeReadReply(phoneBookAnswer(4, QStringLiteral("+CPBR: 4,\"+420603123456\",145,\"\"")), 4)->name, QString());

    // A number of another length is still read at the same places: 13 characters from the
    // 23rd, the name from the 43rd.
    const std::optional<sim::PhoneBookEntry> shortNumber =
        decodeReadReply(phoneBookAnswer(4, QStringLiteral("+CPBR: 4,\"+4206031\",145,\"Jan Novak\"")), 4);
    ASSERT_TRUE(shortNumber);
    EXPECT_EQ(shortNumber->number, QStringLiteral("+4206031\",145"));
    EXPECT_EQ(shortNumber->name, QStringLiteral("ovak"));
}

TEST(AtPhoneBook, OnlyTheAnswerToItsOwnCommandCounts)
{
    const QString late = QStringLiteral("+CPBR: 1,\"+420603123456\",145,\"Priklad\"");
    // The answer to position 1 arrives after the echo of the command for position 2.
    EXPECT_FALSE(decodeReadReply(phoneBookAnswer(2, late), 2));
    // A phone with echo off: the answer is all that came since the command.
    EXPECT_EQ(decodeReadReply(QStringLiteral("\r\n") + late + QStringLiteral("\r\n\r\nOK\r\n"), 1)->name,
              QStringLiteral("Priklad"));
    // Merged answers: each position takes the one after its own echo.
    const QString merged = phoneBookAnswer(1, late) + phoneBookAnswer(2, QStringLiteral("+CPBR: 2,\"+420777000222\",145,\"Dva\""));
    EXPECT_EQ(decodeReadReply(merged, 1)->name, QStringLiteral("Priklad"));
    EXPECT_EQ(decodeReadReply(merged, 2)->number, QStringLiteral("+420777000222"));
    EXPECT_FALSE(decodeReadReply(merged, 3));
    // 10 000 bytes of garbage after the echo, and garbage alone.
    EXPECT_FALSE(decodeReadReply(kva::phoneBookReadCommand(3) + QString(10000, u'\x7f'), 3));
    EXPECT_FALSE(decodeReadReply(QString(10000, u'+'), 3));
}

TEST(AtMessages, CommandsAreTheTabledBytes)
{
    EXPECT_EQ(smsDeleteCommand(1), QByteArray("AT+CMGD=1\r"));
    EXPECT_EQ(smsDeleteCommand(9), QByteArray("AT+CMGD=9\r"));
    EXPECT_EQ(smsAnnounceCommand(17), QByteArray("AT+CMGW=17\r"));
    EXPECT_EQ(smsAnnounceCommand(8), QByteArray("AT+CMGW=8\r"));
    EXPECT_EQ(smsPduCommand("0791"), QByteArray("0791\x1a"));
    EXPECT_EQ(smsReadCommand(8), QStringLiteral("AT+CMGR=8\r"));
}

TEST(AtMessages, RetezecTakesTheLineAfterTheFirstColonAndNeverRunsPastTheEnd)
{
    EXPECT_EQ(Retezec(answer(1, Pdu1)), Pdu1);
    // The line must be ended by CR: an unfinished line is not taken.
    const QString cut = QStringLiteral("AT+CMGR=1\r\r\n+CMGR: 2,,17\r\n079124603050");
    EXPECT_EQ(Retezec(cut), QString());
    EXPECT_EQ(Retezec(QStringLiteral("AT+CMGR=1\r\r\n+CMGR: 2,,17")), QString()); // no LF after the colon
    EXPECT_EQ(Retezec(QStringLiteral("AT+CMGR=1\r\r\nOK\r\n")), QString());         // no colon
    EXPECT_EQ(Retezec(QStringLiteral("AT+CMGR=1\r\r\n+CMS ERROR: 321\r\n")), QString());
    EXPECT_EQ(Retezec(QStringLiteral("AT+CMGR=1\r\r\n+CMGR: 2,,0\r\n\r\n\r\nOK\r\n")), QString()); // empty line
    EXPECT_EQ(Retezec(QStringLiteral(" ")), QString());
    EXPECT_EQ(Retezec(QString()), QString());
    EXPECT_EQ(Retezec(QStringLiteral(":\n\r")), QString());
    EXPECT_EQ(Retezec(QStringLiteral(":\nab\r")), QStringLiteral("ab"));
}

TEST(AtMessages, APduLineCountsOnlyAfterTheEchoOfItsOwnCommand)
{
    EXPECT_EQ(pduLine(answer(2, Pdu2), 2), Pdu2);
    // The previous answer still in the reply at the next step: not taken again for position 2.
    EXPECT_EQ(pduLine(answer(1, Pdu1), 2), QString());
    // A late answer to position 1 arriving together with the echo of the next command.
    const QString late = QStringLiteral("\r\n+CMGR: 2,,17\r\n") + Pdu1 + QStringLiteral("\r\n\r\nOK\r\nAT+CMGR=2\r");
    EXPECT_EQ(Retezec(late), Pdu1); // what the plain line search would take
    EXPECT_EQ(pduLine(late, 2), QString());
    EXPECT_EQ(pduLine(late + QStringLiteral("\r\n+CMGR: 2,,17\r\n") + Pdu2 + QStringLiteral("\r\n"), 2), Pdu2);
    EXPECT_EQ(pduLine(answer(1, Pdu1), 1), Pdu1);
    EXPECT_EQ(pduLine(QStringLiteral("AT+CMGR=1\r"), 1), QString()); // echo only, answer not yet in
}

TEST(AtMessages, OnlyHexLinesOfWholeOctetsArePdus)
{
    EXPECT_TRUE(isHexPdu(QStringLiteral("00aAfF09")));
    EXPECT_FALSE(isHexPdu(QString()));
    EXPECT_FALSE(isHexPdu(QStringLiteral("0791F")));           // half an octet
    EXPECT_FALSE(isHexPdu(QStringLiteral("0791zz")));
    EXPECT_FALSE(isHexPdu(QStringLiteral("Ahoj svete")));      // a text-mode answer
    EXPECT_FALSE(isHexPdu(QStringLiteral("07 91")));
    EXPECT_FALSE(isHexPdu(QString::fromUtf8("0791\xc3\xa1\xc3\xa1")));
    EXPECT_EQ(pduLine(answer(3, QStringLiteral("0791zz")), 3), QString());
}

TEST(AtMessages, GarbageRepliesGiveNoLine)
{
    QString garbage(10000, QChar(0x7f));
    for (int i = 0; i < garbage.size(); i += 7)
        garbage[i] = QChar(i % 3 == 0 ? ':' : i % 3 == 1 ? '\n' : 'A');
    for (int position = 1; position <= PairCount; ++position) {
        EXPECT_EQ(pduLine(garbage, position), QString());
        EXPECT_EQ(pduLine(smsReadCommand(position) + garbage, position), QString());
    }
}

TEST(AtMessages, StoreDeletesNineThenWritesNineWithTheirProgressAndPauses)
{
    const auto encoded = encodeSet(Centre, initialSet());
    const Played run(store(encoded));

    QList<QByteArray> expected = SmsMemory;
    for (int n = 1; n <= 9; ++n)
        expected << "AT+CMGD=" + QByteArray::number(n) + '\r';
    const int lengths[PairCount] = {17, 17, 17, 21, 21, 18, 18, 18, 18};
    for (int i = 0; i < PairCount; ++i) {
        expected << "AT+CMGW=" + QByteArray::number(lengths[i]) + '\r';
        expected << encoded[i].pduText + '\x1a';
    }
    EXPECT_EQ(run.sent, expected);
    EXPECT_EQ(run.sent[12], QByteArray("079124603050020011000c9124603021436500000403cfa50c\x1a"));
    // The SIM storage and the PDU mode, each on as soon as its OK is stored; then a second
    // follows every command, one more sets the deletes apart from the first announcement.
    QList<qint64> at{0, 250};
    for (int i = 0; i < 27; ++i)
        at << 500 + 1000 * (i < 9 ? i : i + 1);
    EXPECT_EQ(run.sentAt, at);
    EXPECT_EQ(run.clock.nowMs(), 28 * 1000 + 500);
    EXPECT_EQ(run.gaugeAtSend, (QList<int>{0, 0,                                           // memory, mode
                                           12, 24, 36, 48, 48, 60, 72, 84, 96,              // deletes
                                           12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78,  // pairs 1-6
                                           84, 90, 96, 100, 100, 100}));                   // pairs 7-9
    EXPECT_EQ(run.statuses,
              (QStringList{"Mažu pozice na SIM", "Ukládám na pozice na SIM", "Uloženo, telefon potvrdil všechny zápisy"}));
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.written, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(run.deleted, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(AtMessages, DeleteGoesThroughNinePositionsFromThreeToAHundred)
{
    const Played run(erase());
    QList<QByteArray> expected = SmsMemory;
    for (int n = 1; n <= 9; ++n)
        expected << "AT+CMGD=" + QByteArray::number(n) + '\r';
    EXPECT_EQ(run.sent, expected);
    EXPECT_EQ(run.gaugeAtSend, (QList<int>{3, 3, 3, 12, 24, 36, 48, 60, 72, 84, 96}));
    EXPECT_EQ(run.clock.nowMs(), 9500);
    EXPECT_EQ(run.statuses, (QStringList{"Mažu pozice na SIM", "Vymazáno, telefon potvrdil všechna vymazání"}));
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.deleted, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(run.gauge, 0);
}

TEST(AtMessages, EachRefusalStopsTheStoreAtItsCommand)
{
    const auto encoded = encodeSet(Centre, initialSet());
    const auto storing = store(encoded);
    const auto answering = [](const char* prefix, const char* answer) {
        return [=](const QByteArray& command, int stored) {
            return command.startsWith(prefix) ? QString::fromLatin1(answer) : goodPhone(command, stored);
        };
    };

    // No answer at all to the first command: the phone is not there; one second, not 28.
    const Played dead(storing, [](const QByteArray&, int) { return QString(); });
    EXPECT_TRUE(dead.silent);
    EXPECT_EQ(dead.sent, QList<QByteArray>{SmsMemory[0]});
    EXPECT_EQ(dead.clock.nowMs(), 1000);

    // A refused delete of a position the phone then shows empty is done; the next one goes on
    // a second after the check.
    const Played empty(storing, answering("AT+CMGD=4", "\r\n+CMS ERROR: 321\r\n"));
    EXPECT_TRUE(empty.finished);
    EXPECT_EQ(empty.sent.size(), 2 + 27 + 1);
    EXPECT_EQ(empty.sent.mid(5, 3), (QList<QByteArray>{"AT+CMGD=4\r", "AT+CMGR=4\r", "AT+CMGD=5\r"}));
    EXPECT_EQ(empty.sentAt.mid(5, 3), (QList<qint64>{3500, 4500, 4750}));

    // Busy for the delete and for the check: the store stops there, naming what was done.
    const Played busy(storing, [](const QByteArray& command, int stored) {
        return command.startsWith("AT+CMGD=4") || command.startsWith("AT+CMGR=4") ? QStringLiteral("\r\n+CMS ERROR: 314\r\n")
                                                                                 : goodPhone(command, stored);
    });
    EXPECT_EQ(busy.sent.size(), 2 + 4 + 1);
    EXPECT_EQ(busy.error, QStringLiteral("Telefon odmítl vymazání SMS na pozici 4.\n"
                                               "Odpověď telefonu: +CMS ERROR: 314 (SIM je zaneprázdněna)\n"
                                               "Telefon do té doby potvrdil vymazání pozic 1, 2, 3."));

    // A phone that will not use the SIM's storage or the PDU mode: nothing is deleted or stored.
    const Played phoneMemory(storing, answering("AT+CPMS=", "\r\n+CMS ERROR: 302\r\n"));
    EXPECT_EQ(phoneMemory.sent, QList<QByteArray>{SmsMemory[0]});
    EXPECT_EQ(phoneMemory.error, QStringLiteral("Telefon odmítl volbu úložiště SMS na SIM (AT+CPMS=\"SM\",\"SM\",\"SM\").\n"
                                                "Odpověď telefonu: +CMS ERROR: 302 (operace není povolena)\n"
                                                "Na SIM nebylo nic vymazáno ani zapsáno.\n"
                                                "Telefon do té doby nepotvrdil žádný zápis ani vymazání."));
    const Played noPdu(storing, answering("AT+CMGF=", "\r\nERROR\r\n"));
    EXPECT_EQ(noPdu.sent, SmsMemory);
    EXPECT_TRUE(noPdu.error.startsWith(QStringLiteral("Telefon odmítl režim PDU pro SMS (AT+CMGF=0).\nOdpověď telefonu: ERROR\n")));

    // A phone that refuses the announcement takes no message text: no ESC follows.
    const Played textMode(storing, answering("AT+CMGW=", "\r\n+CMS ERROR: 305\r\n"));
    EXPECT_EQ(textMode.sent.size(), 2 + 10);
    EXPECT_EQ(textMode.sent.last(), QByteArray("AT+CMGW=17\r"));
    EXPECT_EQ(textMode.error, QStringLiteral("Telefon odmítl uložení SMS pro pozici 1.\n"
                                             "Odpověď telefonu: +CMS ERROR: 305 (telefon není v režimu PDU)\n"
                                             "Telefon do té doby potvrdil vymazání pozic 1, 2, 3, 4, 5, 6, 7, 8, 9."));

    // The SIM fills up at the third message.
    const Played full(storing, [](const QByteArray& command, int stored) {
        return command.endsWith('\x1a') && stored == 2 ? QStringLiteral("\r\n+CMS ERROR: 322\r\n")
                                                        : goodPhone(command, stored);
    });
    EXPECT_EQ(full.sent.size(), 2 + 9 + 6);
    EXPECT_TRUE(full.error.startsWith(QStringLiteral("Telefon odmítl uložení SMS pro pozici 3.")));
    EXPECT_TRUE(full.error.contains(QStringLiteral("+CMS ERROR: 322 (paměť SIM je plná)\n")));
    EXPECT_TRUE(full.error.endsWith(QStringLiteral("vymazání pozic 1, 2, 3, 4, 5, 6, 7, 8, 9 a zápis pozic 1, 2.")));

    // The phone stores the first message elsewhere than position 1: the order is broken.
    const Played moved(storing, [](const QByteArray& command, int stored) {
        return command.endsWith('\x1a') ? QStringLiteral("\r\n+CMGW: %1\r\n\r\nOK\r\n").arg(stored + 12)
                                         : goodPhone(command, stored);
    });
    EXPECT_EQ(moved.sent.size(), 2 + 11);
    EXPECT_TRUE(moved.error.startsWith(QStringLiteral("Telefon uložil SMS určenou pro pozici 1 na pozici 12")));

    for (const Played* p : {&busy, &phoneMemory, &noPdu, &textMode, &full, &moved}) {
        EXPECT_FALSE(p->finished);
        EXPECT_TRUE(p->stopped);
        EXPECT_FALSE(p->sent.contains(QByteArray("\x1b")));
    }

    // A phone that stops answering half-way, at an announcement: it may be waiting for the
    // text, so ESC follows.
    const Played mute(storing, [](const QByteArray& command, int stored) {
        return stored < 5 ? goodPhone(command, stored) : QString();
    });
    EXPECT_EQ(mute.sent.size(), 2 + 9 + 11 + 1);
    EXPECT_EQ(mute.sent.last(), QByteArray("\x1b"));
    EXPECT_TRUE(mute.error.startsWith(QStringLiteral("Telefon neodpověděl na uložení SMS pro pozici 6.\n")));
}

TEST(AtMessages, AStoreStoppedBetweenTheAnnouncementAndThePduLeavesTheMessageWithEsc)
{
    const auto storing = store(encodeSet(Centre, initialSet()));
    // The prompt comes too late for the check: ESC goes out at once, and nothing else.
    const Played late(storing, [](const QByteArray& command, int stored) {
        return command.startsWith("AT+CMGW=") && stored == 1 ? QString() : goodPhone(command, stored);
    });
    EXPECT_EQ(late.sent.size(), 2 + 9 + 2 + 1 + 1);
    EXPECT_EQ(late.sent.mid(13), (QList<QByteArray>{"AT+CMGW=17\r", "\x1b"}));
    EXPECT_EQ(late.sentAt.last(), late.sentAt[13] + 1000);
    EXPECT_TRUE(late.error.startsWith(QStringLiteral("Telefon neodpověděl na uložení SMS pro pozici 2.\n")));
    EXPECT_TRUE(late.stopped);

    // A prompt followed by a message arriving is still the prompt: the store finishes.
    const Played notice(storing, [](const QByteArray& command, int stored) {
        return command.startsWith("AT+CMGW=") ? QStringLiteral("\r\n> \r\n+CMTI: \"SM\",12\r\n") : goodPhone(command, stored);
    });
    EXPECT_TRUE(notice.finished);
    EXPECT_EQ(notice.written.size(), 9);

    // Cancelled by the user after the prompt: ESC before anything else.
    kva::ManualClock clock;
    kva::PhoneChannel channel;
    kva::AtSim sim{channel};
    QList<QByteArray> sent;
    QByteArray waiting;
    QString error;
    channel.setScheduler(clock);
    channel.setPort({[] { return true; },
                     [&](const QByteArray& b) {
                         sent << b;
                         waiting += b + goodPhone(b, 0).toLatin1();
                         channel.dataReceived();
                     },
                     [&] { return std::exchange(waiting, QByteArray()); }});
    QObject::connect(&sim, &sim::SimAccess::failed, [&](const QString& m) { error = m; });
    sim::Progress p;
    storing(sim, p);
    while (!sent.last().startsWith("AT+CMGW="))
        clock.advance(1);
    clock.advance(300);
    sim.interrupt();
    EXPECT_EQ(sent.last(), QByteArray("\x1b"));
    EXPECT_FALSE(channel.busy());
    EXPECT_EQ(error, QStringLiteral("Výměna s telefonem byla přerušena.\n"
                                    "Telefon do té doby potvrdil vymazání pozic 1, 2, 3, 4, 5, 6, 7, 8, 9."));
    clock.runUntilIdle();
    EXPECT_EQ(sent.last(), QByteArray("\x1b"));
}

TEST(AtMessages, ADeleteRefusedForAnEmptyPositionIsCheckedWithARead)
{
    // Phones say "empty already" in their own words; the read that follows decides.
    for (const char* refusal : {"\r\nERROR\r\n", "\r\n+CMS ERROR: 500\r\n", "\r\n+CMS ERROR: invalid memory index\r\n"}) {
        const Played run(erase(), [refusal](const QByteArray& command, int stored) {
            if (command.startsWith("AT+CMGD=7"))
                return QString::fromLatin1(refusal);
            if (command.startsWith("AT+CMGR=7"))
                return QStringLiteral("\r\n+CMS ERROR: 321\r\n");
            return goodPhone(command, stored);
        });
        EXPECT_TRUE(run.finished) << refusal;
        EXPECT_EQ(run.deleted, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
        EXPECT_EQ(run.sent.mid(8, 3), (QList<QByteArray>{"AT+CMGD=7\r", "AT+CMGR=7\r", "AT+CMGD=8\r"}));
    }
}

TEST(AtMessages, TheDeleteFinishesOnlyWhenAllNineWereConfirmed)
{
    const QString held = QStringLiteral("\r\n+CMGR: 2,,17\r\n") + Pdu1 + QStringLiteral("\r\n\r\nOK\r\n");
    const Played refused(erase(), [held](const QByteArray& command, int stored) {
        if (command == "AT+CMGD=7\r")
            return QStringLiteral("\r\nERROR\r\n");
        if (command == "AT+CMGR=7\r")
            return held;
        return goodPhone(command, stored);
    });
    EXPECT_EQ(refused.sent.size(), 2 + 7 + 1);
    EXPECT_EQ(refused.error, QStringLiteral("Telefon odmítl vymazání SMS na pozici 7 a pozice není prázdná.\n"
                                            "Odpověď telefonu: ERROR\n"
                                            "Telefon do té doby potvrdil vymazání pozic 1, 2, 3, 4, 5, 6."));
    EXPECT_FALSE(refused.finished);
    EXPECT_EQ(refused.deleted, (QList<int>{1, 2, 3, 4, 5, 6}));

    const Played dead(erase(), [](const QByteArray&, int) { return QString(); });
    EXPECT_TRUE(dead.silent);
    EXPECT_EQ(dead.sent.size(), 1);
    EXPECT_FALSE(dead.finished);
}

TEST(AtReads, EachPositionIsFoundEmptyOrFailedWithTheReasonInWords)
{
    const auto book = [](const QString& answer, int position) { return phoneBookResult(answer, position); };
    using R = sim::PositionResult;
    EXPECT_EQ(book(QStringLiteral("AT+CPBR=2\r\r\nOK\r\n"), 2).outcome, R::Empty);
    EXPECT_EQ(book(QStringLiteral("AT+CPBR=2\r\r\n+CME ERROR: 21\r\n"), 2).outcome, R::Empty); // invalid index
    EXPECT_EQ(book(QStringLiteral("\r\n+CME ERROR: 22\r\n"), 2).outcome, R::Empty);            // not found, no echo
    const R busy = book(QStringLiteral("AT+CPBR=3\r\r\n+CME ERROR: 14\r\n"), 3);
    EXPECT_EQ(busy.outcome, R::Failed);
    EXPECT_EQ(busy.reason, QStringLiteral("SIM je zaneprázdněna (+CME ERROR: 14)"));
    EXPECT_EQ(book(QStringLiteral("AT+CPBR=3\r\r\nERROR\r\n"), 3).reason, QStringLiteral("telefon odmítl (ERROR)"));
    EXPECT_EQ(book(QStringLiteral("AT+CPBR=3\r"), 3).reason, QStringLiteral("telefon neodpověděl"));
    EXPECT_EQ(book(QStringLiteral(" "), 3).reason, QStringLiteral("telefon neodpověděl"));
    EXPECT_EQ(book(QStringLiteral("AT+CPBR=3\r\r\n+CPBR: 3,\"+420\r\n"), 3).outcome, R::Failed); // cut short
    EXPECT_EQ(book(QStringLiteral("AT+CPBR=3\r\r\nhello\r\nOK\r\n"), 3).reason, QStringLiteral("odpověď telefonu nelze přečíst"));

    const auto sms = [](const QString& answer, int position) { return messageResult(answer, position); };
    EXPECT_EQ(sms(answer(1, Pdu1), 1).pdu, Pdu1.toLatin1());
    EXPECT_EQ(sms(QStringLiteral("AT+CMGR=1\r\r\n+CMS ERROR: 321\r\n"), 1).outcome, R::Empty);
    EXPECT_EQ(sms(QStringLiteral("AT+CMGR=1\r\r\nOK\r\n"), 1).outcome, R::Empty);
    EXPECT_EQ(sms(QStringLiteral("\r\n+CMGR: 2,,17\r\n") + Pdu2 + QStringLiteral("\r\n\r\nOK\r\n"), 1).pdu, Pdu2.toLatin1());
    EXPECT_EQ(sms(QStringLiteral("AT+CMGR=1\r\r\n+CMS ERROR: 314\r\n"), 1).reason,
              QStringLiteral("SIM je zaneprázdněna (+CMS ERROR: 314)"));
    // A phone in text mode answers with the text: not a PDU, not an empty position.
    EXPECT_EQ(sms(QStringLiteral("AT+CMGR=1\r\r\n+CMGR: \"STO UNSENT\",\"+420\"\r\nAhoj\r\n\r\nOK\r\n"), 1).outcome, R::Failed);
}

TEST(AtReads, AnAnswerStillDueToAnEarlierCommandIsNotTakenForTheNextPosition)
{
    const QString late = QStringLiteral("\r\nOK\r\n"); // position 1 empty, its answer late
    // Echo on: the late answer after the echo of position 2 is position 1's.
    int outstanding = 1;
    const sim::PositionResult two = phoneBookResult(
        QStringLiteral("AT+CPBR=2\r") + late + QStringLiteral("\r\n+CPBR: 2,\"+420777000222\",145,\"Dva\"\r\n\r\nOK\r\n"), 2,
        outstanding);
    EXPECT_EQ(two.entry.name, QStringLiteral("Dva"));
    EXPECT_EQ(outstanding, 0);
    // Before the echo it is no part of the answer either, and nothing is still due.
    outstanding = 1;
    EXPECT_EQ(phoneBookResult(late + QStringLiteral("AT+CPBR=2\r\r\n+CME ERROR: 14\r\n"), 2, outstanding).outcome,
              sim::PositionResult::Failed);
    EXPECT_EQ(outstanding, 0);
    // Echo off: the first OK is the earlier command's; position 2's own answer has not come.
    outstanding = 1;
    EXPECT_EQ(phoneBookResult(late, 2, outstanding).outcome, sim::PositionResult::Failed);
    EXPECT_EQ(outstanding, 1);
    // No answer at all: owed on.
    outstanding = 0;
    EXPECT_EQ(messageResult(QStringLiteral("AT+CMGR=3\r"), 3, outstanding).outcome, sim::PositionResult::Failed);
    EXPECT_EQ(outstanding, 1);
}

TEST(AtReads, TheNumbersReadSelectsTheSimPhoneBookAndListsTheFailedPositions)
{
    QString incomplete;
    const Played run(
        [](sim::SimAccess& s, sim::Progress p) { return s.readEntries(sim::Set::PhoneNumbers, {1, 2, 3, 4, 7}, std::move(p)); },
        [](const QByteArray& command, int stored) {
            if (command == "AT+CPBR=1\r")
                return QStringLiteral("\r\n+CPBR: 1,\"+420603123456\",145,\"Priklad\"\r\n\r\nOK\r\n");
            if (command == "AT+CPBR=3\r")
                return QStringLiteral("\r\n+CME ERROR: 14\r\n");
            if (command == "AT+CPBR=4\r")
                return QStringLiteral("\r\nERROR\r\n");
            return goodPhone(command, stored);
        },
        [&incomplete](sim::SimAccess& s) { QObject::connect(&s, &sim::SimAccess::incomplete, [&](const QString& m) { incomplete = m; }); });
    EXPECT_EQ(run.sent, (QList<QByteArray>{"AT\r", "AT+CPBS=\"SM\"\r", "AT+CPBR=1\r", "AT+CPBR=2\r", "AT+CPBR=3\r",
                                           "AT+CPBR=4\r", "AT+CPBR=7\r"}));
    // The phone-book choice goes on as soon as its OK is stored; each read keeps its 300 ms.
    EXPECT_EQ(run.sentAt, (QList<qint64>{0, 300, 550, 850, 1150, 1450, 1750}));
    QList<sim::PositionResult::Outcome> outcomes;
    for (const sim::PositionResult& r : run.found)
        outcomes << r.outcome;
    using R = sim::PositionResult;
    EXPECT_EQ(outcomes, (QList<R::Outcome>{R::Found, R::Empty, R::Failed, R::Failed, R::Empty}));
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(incomplete, QStringLiteral("Některé pozice se ze SIM nepodařilo načíst:\n"
                                         "Pozice 3: SIM je zaneprázdněna (+CME ERROR: 14), hodnota na stránce ponechána.\n"
                                         "Pozice 4: telefon odmítl (ERROR), hodnota na stránce ponechána."));

    // The phone book stays in the phone's own memory: nothing is read.
    const Played phoneOnly(
        [](sim::SimAccess& s, sim::Progress p) { return s.readEntries(sim::Set::Configuration, {5, 6}, std::move(p)); },
        [](const QByteArray& command, int stored) {
            return command.startsWith("AT+CPBS=") ? QStringLiteral("\r\n+CME ERROR: 3\r\n") : goodPhone(command, stored);
        });
    EXPECT_EQ(phoneOnly.sent, (QList<QByteArray>{"AT\r", "AT+CPBS=\"SM\"\r"}));
    EXPECT_TRUE(phoneOnly.found.isEmpty());
    EXPECT_EQ(phoneOnly.error, QStringLiteral("Telefon odmítl volbu telefonního seznamu SIM (AT+CPBS=\"SM\").\n"
                                              "Odpověď telefonu: +CME ERROR: 3 (operace není povolena)\n"
                                              "Ze SIM nebylo nic načteno, stránka zůstává beze změny."));
}

TEST(AtReads, TheMessagesReadFitsStorageAndModeIntoThePauseAfterTheProbe)
{
    const Played run([](sim::SimAccess& s, sim::Progress p) { return s.readMessages({1, 2}, std::move(p)); },
                     [](const QByteArray& command, int stored) {
                         if (command == "AT+CMGR=1\r")
                             return QStringLiteral("\r\n+CMGR: 2,,17\r\n") + Pdu1 + QStringLiteral("\r\n\r\nOK\r\n");
                         if (command == "AT+CMGR=2\r")
                             return QStringLiteral("\r\n+CMS ERROR: 321\r\n");
                         return goodPhone(command, stored);
                     });
    EXPECT_EQ(run.sent, (QList<QByteArray>{"AT\r", SmsMemory[0], SmsMemory[1], "AT+CMGR=1\r", "AT+CMGR=2\r"}));
    // AT+CMGR=1 goes at 800 ms, as it always did after the probe's 300 and the 500 after it.
    EXPECT_EQ(run.sentAt, (QList<qint64>{0, 300, 550, 800, 1900}));
    ASSERT_EQ(run.found.size(), 2);
    EXPECT_EQ(run.found[0].pdu, Pdu1.toLatin1());
    EXPECT_EQ(run.found[1].outcome, sim::PositionResult::Empty);
}
