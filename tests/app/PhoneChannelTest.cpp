#include "MessageBoxes.h"
#include "PhoneChannel.h"
#include "QStringPrint.h"
#include "SharedState.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Stands in for the serial port: what was written, what waits to be read.
struct FakePort {
    bool open = true;
    QByteArray written;
    QByteArray waiting;
    int reads = 0;
    bool failWrites = false;
    bool failReads = false;

    kva::PhoneChannel::Port port()
    {
        return {
            [this] { return open; },
            [this](const QByteArray& b) {
                if (failWrites)
                    throw std::runtime_error("Write data error [requested: 3, free: 0] - AfComPort1 ");
                written += b;
            },
            [this] {
                ++reads;
                if (failReads)
                    throw std::runtime_error("Read data error - AfComPort1 ");
                QByteArray b = waiting;
                waiting.clear();
                return b;
            },
        };
    }
};

class PhoneChannelTest : public ::testing::Test {
protected:
    PhoneChannelTest() : channel(state, &window)
    {
        channel.setPort(fake.port());
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            shown << m.title + u'|' + m.text;
            return true;
        });
    }
    ~PhoneChannelTest() override { kva::setMessageHook({}); }

    SharedState state;
    QWidget window;
    FakePort fake;
    kva::PhoneChannel channel;
    QStringList shown;
};

} // namespace

TEST_F(PhoneChannelTest, ReceiveWaitsThenReplacesTheReplyWithNonEmptyChunks)
{
    state.ReplyBuffer = QStringLiteral(" ");
    fake.waiting = "AT\r";
    QElapsedTimer clock;
    clock.start();
    channel.dataReceived();
    EXPECT_TRUE(channel.receivePending());
    fake.waiting += "\r\nOK\r\n"; // the rest of the answer arrives during the wait
    channel.dataReceived();         // raised again: no second wait
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.receivePending(); }, 1000));
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_EQ(fake.reads, 1);
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral("AT\r\r\nOK\r\n"));
    EXPECT_EQ(state.LastChunk, state.ReplyBuffer);
    EXPECT_TRUE(channel.probeAnswered());

    // An event that finds nothing leaves the reply; a later answer replaces it, not extends it.
    channel.dataReceived();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.receivePending(); }, 1000));
    EXPECT_EQ(state.LastChunk, QString());
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral("AT\r\r\nOK\r\n"));
    fake.waiting = "\xe8\r\n";
    channel.dataReceived();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.receivePending(); }, 1000));
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral("č\r\n"));
}

TEST_F(PhoneChannelTest, AStepDueDuringTheWaitRunsAfterTheAnswerIsStored)
{
    QStringList seen;
    channel.runStep([&] { seen << QStringLiteral("now:") + state.ReplyBuffer; });
    EXPECT_EQ(seen, QStringList{"now:"}); // no wait pending: at once

    QTimer tick;
    tick.setSingleShot(true);
    channel.routeTimer(&tick, [&] { seen << QStringLiteral("tick:") + state.ReplyBuffer; });
    fake.waiting = "answer";
    channel.dataReceived();
    tick.start(50); // falls due 200 ms before the answer is read
    QTest::qWait(150);
    EXPECT_EQ(seen.size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2; }, 1000));
    EXPECT_EQ(seen[1], QStringLiteral("tick:answer"));
}

TEST_F(PhoneChannelTest, ClosedPortIsRefusedAndTheProbeStartsWithABlank)
{
    fake.open = false;
    EXPECT_TRUE(channel.refuseIfClosed(&window));
    EXPECT_EQ(shown, QStringList{"Error|POZOR - sériový port není otevřen !"});
    EXPECT_EQ(fake.written, QByteArray());

    fake.open = true;
    EXPECT_FALSE(channel.refuseIfClosed(&window));
    state.ReplyBuffer = QStringLiteral("old");
    channel.startProbe();
    EXPECT_EQ(fake.written, QByteArray("AT\r"));
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral(" "));
    EXPECT_FALSE(channel.probeAnswered());
    channel.warnSilent(&window);
    EXPECT_EQ(shown.last(), QStringLiteral("Warning|POZOR - telefon nekomunikuje !"));
}

TEST_F(PhoneChannelTest, OneExchangeAtATimeWithGuardedButtons)
{
    QPushButton own, other;
    channel.guardButtons({&own, &other});
    QList<bool> changes;
    QObject::connect(&channel, &kva::PhoneChannel::busyChanged, [&](bool b) { changes << b; });

    ASSERT_TRUE(channel.begin(&window, [] {}));
    EXPECT_TRUE(channel.busy());
    EXPECT_FALSE(own.isEnabled());
    EXPECT_FALSE(other.isEnabled());
    EXPECT_FALSE(channel.begin(&window, [] {}));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Error|POZOR - s telefonem právě probíhá jiná operace"));
    channel.end();
    EXPECT_FALSE(channel.busy());
    EXPECT_TRUE(own.isEnabled());
    EXPECT_TRUE(other.isEnabled());
    EXPECT_EQ(changes, (QList<bool>{true, false}));
}

TEST_F(PhoneChannelTest, BeginWithProbeRefusesOrProbesThenEndIfSilentWarnsAndEnds)
{
    int next = 0;
    int idle = 0;
    fake.open = false;
    EXPECT_FALSE(channel.beginWithProbe(&window, [&] { ++idle; }, [&] { ++next; }));
    EXPECT_EQ(shown, QStringList{"Error|POZOR - sériový port není otevřen !"});
    EXPECT_FALSE(channel.busy());

    fake.open = true;
    state.ReplyBuffer = QStringLiteral("old");
    ASSERT_TRUE(channel.beginWithProbe(&window, [&] { ++idle; }, [&] {
        EXPECT_EQ(fake.written, QByteArray("AT\r")); // the probe goes first
        ++next;
    }));
    EXPECT_TRUE(channel.busy());
    EXPECT_EQ(next, 1);
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral(" "));
    EXPECT_FALSE(channel.beginWithProbe(&window, [&] { ++idle; }, [&] { ++next; })); // busy
    EXPECT_EQ(next, 1);
    EXPECT_EQ(fake.written, QByteArray("AT\r"));
    ASSERT_EQ(shown.size(), 2);

    // An answered probe leaves the exchange running; a silent phone ends it with the warning.
    int enabled = 0;
    state.ReplyBuffer = QStringLiteral("AT\r\r\nOK\r\n");
    EXPECT_FALSE(channel.endIfSilent(&window, [&] { ++enabled; }));
    EXPECT_TRUE(channel.busy());
    EXPECT_EQ(shown.size(), 2);
    state.ReplyBuffer = QStringLiteral(" ");
    EXPECT_TRUE(channel.endIfSilent(&window, [&] { ++enabled; }));
    EXPECT_FALSE(channel.busy());
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(shown.last(), QStringLiteral("Warning|POZOR - telefon nekomunikuje !"));
    EXPECT_EQ(idle, 0); // ended, not aborted

    // A failing probe write aborts the exchange: `next` does not run.
    fake.failWrites = true;
    EXPECT_TRUE(channel.beginWithProbe(&window, [&] { ++idle; }, [&] { ++next; }));
    EXPECT_EQ(next, 1);
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(channel.busy());
}

TEST_F(PhoneChannelTest, AnErrorInAStepReturnsThePageToIdleAndIsShownOnce)
{
    int idle = 0;
    bool ranAfter = false;
    ASSERT_TRUE(channel.begin(&window, [&] { ++idle; }));
    fake.failWrites = true;
    EXPECT_FALSE(channel.step([&] {
        channel.send(QByteArray("AT+CPBR=5\r"));
        ranAfter = true;
    }));
    EXPECT_FALSE(ranAfter);
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(channel.busy());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|"
                                       "Write data error [requested: 3, free: 0] - AfComPort1 "));
}

TEST_F(PhoneChannelTest, AnErrorInASequenceStopsItAndTheExchange)
{
    int idle = 0;
    ASSERT_TRUE(channel.begin(&window, [&] { ++idle; }));
    kva::Sequence s;
    s.send(QByteArray("one\r")).pause(30).then([&] { fake.failWrites = true; }).send(QByteArray("two\r"))
        .pause(30).send(QByteArray("three\r"));
    channel.run(std::move(s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.busy(); }, 1000));
    QTest::qWait(60);
    EXPECT_EQ(fake.written, QByteArray("one\r"));
    EXPECT_EQ(idle, 1);
    EXPECT_EQ(shown.size(), 1);
}

TEST_F(PhoneChannelTest, AReadErrorAbortsTheExchangeAndDropsItsPendingStep)
{
    int idle = 0;
    bool stepRan = false;
    ASSERT_TRUE(channel.begin(&window, [&] { ++idle; }));
    fake.failReads = true;
    channel.dataReceived();
    channel.runStep([&] { stepRan = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !channel.busy(); }, 1000));
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(idle, 1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith("|Read data error - AfComPort1 "));
}

TEST_F(PhoneChannelTest, ShutdownStopsEverythingWithoutMessages)
{
    int idle = 0;
    bool stepRan = false;
    ASSERT_TRUE(channel.begin(&window, [&] { ++idle; }));
    kva::Sequence s;
    s.send("a").pause(30).send("b");
    channel.run(std::move(s));
    fake.waiting = "x";
    channel.dataReceived();
    channel.runStep([&] { stepRan = true; });
    channel.shutdown();
    QTest::qWait(300);
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(fake.reads, 0);
    EXPECT_EQ(fake.written, QByteArray("a"));
    EXPECT_FALSE(channel.begin(&window, [] {}));
    EXPECT_TRUE(shown.isEmpty());
}
