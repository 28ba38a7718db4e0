#include "AtCommands.h"
#include "PhoneReply.h"
#include "Scheduler.h"
#include "SmsTransfer.h"

#include <QList>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace kva;
using namespace kva::sms;

namespace {

const QString Centre = QStringLiteral("+420603052000");
const QString Pdu1 = QStringLiteral("079124603050020011000C9124603021436500000403CFA50C");
const QString Pdu2 = QStringLiteral("079124603050020011000C9124603021436500000403CFA50D");

QString answer(int position, const QString& pdu)
{
    return QStringLiteral("AT+CMGR=%1\r\r\n+CMGR: 2,,17\r\n%2\r\n\r\nOK\r\n").arg(position).arg(pdu);
}

// The page as the store and the delete see it, and what each command found there.
struct View : PageView {
    int value = 0;
    bool shown = false;
    QString reply = QStringLiteral("x");
    bool fieldsCleared = false;
    QStringList statuses;
    void setStatus(const QString& text) override { statuses << text; }
    void setGaugeShown(bool s) override { shown = s; }
    void setGauge(int v) override { value = std::clamp(v, 0, 100); }
    int gauge() const override { return value; }
    void clearReply() override { reply = QStringLiteral(" "); }
    void clearFields() override { fieldsCleared = true; }
    const QString& receivedSinceSend() const override { return received; }
    QString received;
};

// A phone on the other end: what it answers to each command (a good phone by default).
using Phone = std::function<QString(const QByteArray& command, int storedSoFar)>;

QString goodPhone(const QByteArray& command, int storedSoFar)
{
    if (command.startsWith("AT+CMGW="))
        return QStringLiteral("\r\n> ");
    if (command.endsWith('\x1a'))
        return QStringLiteral("\r\n+CMGW: %1\r\n\r\nOK\r\n").arg(storedSoFar + 1);
    return QStringLiteral("\r\nOK\r\n");
}

struct Played {
    kva::ManualClock clock;
    View view;
    QList<QByteArray> sent;
    QList<int> gaugeAtSend;
    QList<qint64> sentAt;
    bool allSentWithGaugeShown = true;
    bool finished = false;
    QString error;    // the box text when the exchange stopped
    bool silent = false;

    template <class Build>
    explicit Played(Build build, Phone phone = goodPhone)
    {
        int stored = 0;
        kva::StepRunner runner(clock, [&, this](const QByteArray& b) {
            sent << b;
            gaugeAtSend << view.value;
            sentAt << clock.nowMs();
            allSentWithGaugeShown = allSentWithGaugeShown && view.shown;
            view.received = QString::fromLatin1(b) + phone(b, stored);
            if (view.received.contains(u"+CMGW:"))
                ++stored;
        });
        runner.onFinished = [this] { finished = true; };
        runner.onError = [this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const kva::PhoneSilent&) {
                silent = true;
            } catch (const kva::Error& err) {
                error = err.message();
            }
        };
        runner.start(build(view));
        clock.runUntilIdle();
    }
};

} // namespace

TEST(SmsTransfer, CommandsAreTheTabledBytes)
{
    EXPECT_EQ(smsDeleteCommand(1), QByteArray("AT+CMGD=1\r"));
    EXPECT_EQ(smsDeleteCommand(9), QByteArray("AT+CMGD=9\r"));
    EXPECT_EQ(smsAnnounceCommand(17), QByteArray("AT+CMGW=17\r"));
    EXPECT_EQ(smsAnnounceCommand(8), QByteArray("AT+CMGW=8\r"));
    EXPECT_EQ(smsPduCommand("0791"), QByteArray("0791\x1a"));
    EXPECT_EQ(smsReadCommand(8), QStringLiteral("AT+CMGR=8\r"));
}

TEST(SmsTransfer, ReadStepsRunElevenToSeventeenThen118And19)
{
    QList<int> order;
    for (const ReadStep* s = findReadStep(11); s; s = findReadStep(s->next)) {
        order << s->step;
        EXPECT_EQ(s->position, order.size());
        EXPECT_EQ(s->progress, s->next ? 12 * s->position : 100);
    }
    EXPECT_EQ(order, (QList<int>{11, 12, 13, 14, 15, 16, 17, 118, 19}));
    // 18 is the probe, never a read; nothing else is a step of this window.
    for (int other : {0, 1, 5, 6, 8, 10, 18, 20, 111, -11})
        EXPECT_EQ(findReadStep(other), nullptr) << other;
}

TEST(SmsTransfer, RetezecTakesTheLineAfterTheFirstColonAndNeverRunsPastTheEnd)
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

TEST(SmsTransfer, APduLineCountsOnlyAfterTheEchoOfItsOwnCommand)
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

TEST(SmsTransfer, OnlyHexLinesOfWholeOctetsArePdus)
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

TEST(SmsTransfer, GarbageRepliesGiveNoLine)
{
    QString garbage(10000, QChar(0x7f));
    for (int i = 0; i < garbage.size(); i += 7)
        garbage[i] = QChar(i % 3 == 0 ? ':' : i % 3 == 1 ? '\n' : 'A');
    for (int position = 1; position <= PairCount; ++position) {
        EXPECT_EQ(pduLine(garbage, position), QString());
        EXPECT_EQ(pduLine(smsReadCommand(position) + garbage, position), QString());
    }
}

TEST(SmsTransfer, ControlCharactersOfAFieldBecomeBlanks)
{
    EXPECT_EQ(blankControls(QStringLiteral("a\rb\nc\x1a" "d\x1b" "e\t")), QStringLiteral("a b c d e "));
    EXPECT_EQ(blankControls(QStringLiteral("\"Pozor\" č")), QStringLiteral("\"Pozor\" č"));
    const Pair sent = pairToSend({QStringLiteral("+42060312345\x1a"), QStringLiteral("OK\r2")});
    EXPECT_EQ(sent.number, QStringLiteral("+42060312345 "));
    EXPECT_EQ(sent.text, QStringLiteral("OK 2"));
    // The encoded PDU of such a pair holds no control character: the command is never cut short.
    const EncodedSms e = encodePair(Centre, sent);
    for (char c : e.pduText)
        EXPECT_GE(static_cast<unsigned char>(c), 32) << e.pduText.toStdString();
}

TEST(SmsTransfer, StoreDeletesNineThenWritesNineWithTheirProgressAndPauses)
{
    const auto encoded = encodeSet(Centre, initialSet());
    const Played run([&](View& v) { return storeExchange(encoded, 700, v); });

    QList<QByteArray> expected;
    for (int n = 1; n <= 9; ++n)
        expected << "AT+CMGD=" + QByteArray::number(n) + '\r';
    const int lengths[PairCount] = {17, 17, 17, 21, 21, 18, 18, 18, 18};
    for (int i = 0; i < PairCount; ++i) {
        expected << "AT+CMGW=" + QByteArray::number(lengths[i]) + '\r';
        expected << encoded[i].pduText + '\x1a';
    }
    EXPECT_EQ(run.sent, expected);
    EXPECT_EQ(run.sent[10], QByteArray("079124603050020011000c9124603021436500000403cfa50c\x1a"));
    // A pause follows every command; one more sets the deletes apart from the first announcement.
    QList<qint64> at;
    for (int i = 0; i < 27; ++i)
        at << 700 * (i < 9 ? i : i + 1);
    EXPECT_EQ(run.sentAt, at);
    EXPECT_EQ(run.clock.nowMs(), 28 * 700);
    EXPECT_EQ(run.gaugeAtSend, (QList<int>{12, 24, 36, 48, 48, 60, 72, 84, 96,              // deletes
                                           12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78,  // pairs 1-6
                                           84, 90, 96, 100, 100, 100}));                   // pairs 7-9
    EXPECT_EQ(run.view.statuses,
              (QStringList{"Mažu pozice na SIM", " ", "Ukládám na pozice na SIM", "Uloženo, telefon potvrdil všechny zápisy"}));
    EXPECT_TRUE(run.finished);
    EXPECT_TRUE(run.allSentWithGaugeShown);
    EXPECT_FALSE(run.view.shown);
    EXPECT_EQ(run.view.reply, QStringLiteral(" "));
    EXPECT_FALSE(run.view.fieldsCleared);
}

TEST(SmsTransfer, DeleteGoesThroughNinePositionsFromThreeToAHundred)
{
    const Played run([](View& v) { return deleteExchange(1000, v); });
    QList<QByteArray> expected;
    for (int n = 1; n <= 9; ++n)
        expected << "AT+CMGD=" + QByteArray::number(n) + '\r';
    EXPECT_EQ(run.sent, expected);
    EXPECT_EQ(run.gaugeAtSend, (QList<int>{3, 12, 24, 36, 48, 60, 72, 84, 96}));
    EXPECT_EQ(run.clock.nowMs(), 9000);
    EXPECT_EQ(run.view.statuses, (QStringList{"Mažu pozice na SIM", "Vymazáno, telefon potvrdil všechna vymazání"}));
    EXPECT_TRUE(run.view.fieldsCleared);
    EXPECT_FALSE(run.view.shown);
    EXPECT_EQ(run.view.value, 0);
    EXPECT_EQ(run.view.reply, QStringLiteral("x")); // the window resets it before the delete
}

TEST(SmsTransfer, EachRefusalStopsTheStoreAtItsCommand)
{
    const auto encoded = encodeSet(Centre, initialSet());
    const auto store = [&](View& v) { return storeExchange(encoded, 1000, v); };
    const auto answering = [](const char* prefix, const char* answer) {
        return [=](const QByteArray& command, int stored) {
            return command.startsWith(prefix) ? QString::fromLatin1(answer) : goodPhone(command, stored);
        };
    };

    // No answer at all to the first delete: the phone is not there; one second, not 28.
    const Played dead(store, [](const QByteArray&, int) { return QString(); });
    EXPECT_TRUE(dead.silent);
    EXPECT_EQ(dead.sent, QList<QByteArray>{"AT+CMGD=1\r"});
    EXPECT_EQ(dead.clock.nowMs(), 1000);

    // An empty position is deleted already, whichever way the phone says it.
    const Played empty(store, answering("AT+CMGD=4", "\r\n+CMS ERROR: 321\r\n"));
    EXPECT_TRUE(empty.finished);
    EXPECT_EQ(empty.sent.size(), 27);

    const Played busy(store, answering("AT+CMGD=4", "\r\n+CMS ERROR: 314\r\n"));
    EXPECT_EQ(busy.sent.size(), 4);
    EXPECT_EQ(busy.error, QStringLiteral("Telefon odmítl vymazání SMS na pozici 4.\n"
                                         "Odpověď telefonu: +CMS ERROR: 314 (SIM je zaneprázdněna)"));

    // A phone in text mode refuses the announcement; nothing after it is sent.
    const Played textMode(store, answering("AT+CMGW=", "\r\n+CMS ERROR: 305\r\n"));
    EXPECT_EQ(textMode.sent.size(), 10);
    EXPECT_EQ(textMode.sent.last(), QByteArray("AT+CMGW=17\r"));
    EXPECT_EQ(textMode.error, QStringLiteral("Telefon odmítl uložení SMS pro pozici 1.\n"
                                             "Odpověď telefonu: +CMS ERROR: 305 (telefon není v režimu PDU)"));

    // The SIM fills up at the third message.
    const Played full(store, [](const QByteArray& command, int stored) {
        return command.endsWith('\x1a') && stored == 2 ? QStringLiteral("\r\n+CMS ERROR: 322\r\n")
                                                        : goodPhone(command, stored);
    });
    EXPECT_EQ(full.sent.size(), 9 + 6);
    EXPECT_TRUE(full.error.startsWith(QStringLiteral("Telefon odmítl uložení SMS pro pozici 3.")));
    EXPECT_TRUE(full.error.endsWith(QStringLiteral("+CMS ERROR: 322 (paměť SIM je plná)")));

    // The phone stores the first message elsewhere than position 1: the order is broken.
    const Played moved(store, [](const QByteArray& command, int stored) {
        return command.endsWith('\x1a') ? QStringLiteral("\r\n+CMGW: %1\r\n\r\nOK\r\n").arg(stored + 12)
                                         : goodPhone(command, stored);
    });
    EXPECT_EQ(moved.sent.size(), 11);
    EXPECT_TRUE(moved.error.startsWith(QStringLiteral("Telefon uložil SMS určenou pro pozici 1 na pozici 12")));

    // A phone that stops answering half-way.
    const Played mute(store, [](const QByteArray& command, int stored) {
        return stored < 5 ? goodPhone(command, stored) : QString();
    });
    EXPECT_EQ(mute.sent.size(), 9 + 11);
    EXPECT_EQ(mute.error, QStringLiteral("Telefon neodpověděl na uložení SMS pro pozici 6."));
    for (const Played* p : {&busy, &textMode, &full, &moved, &mute}) {
        EXPECT_FALSE(p->finished);
        EXPECT_FALSE(p->view.fieldsCleared);
    }
}

TEST(SmsTransfer, TheDeleteEmptiesTheFieldsOnlyWhenAllNineWereConfirmed)
{
    const Played refused([](View& v) { return deleteExchange(1000, v); },
                         [](const QByteArray& command, int stored) {
                             return command == "AT+CMGD=7\r" ? QStringLiteral("\r\nERROR\r\n") : goodPhone(command, stored);
                         });
    EXPECT_EQ(refused.sent.size(), 7);
    EXPECT_EQ(refused.error, QStringLiteral("Telefon odmítl vymazání SMS na pozici 7.\nOdpověď telefonu: ERROR"));
    EXPECT_FALSE(refused.view.fieldsCleared);

    const Played dead([](View& v) { return deleteExchange(1000, v); }, [](const QByteArray&, int) { return QString(); });
    EXPECT_TRUE(dead.silent);
    EXPECT_EQ(dead.sent.size(), 1);
    EXPECT_FALSE(dead.view.fieldsCleared);
}
