#include "MessageBoxes.h"
#include "PhoneChannel.h"
#include "Scheduler.h"
#include "QStringPrint.h"
#include "SharedState.h"

#include <QPushButton>
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
        channel.setScheduler(clock);
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
    kva::ManualClock clock;
    kva::PhoneChannel channel;
    QStringList shown;
};

} // namespace

TEST_F(PhoneChannelTest, ReceiveWaitsThenReplacesTheReplyWithNonEmptyChunks)
{
    state.ReplyBuffer = QStringLiteral(" ");
    fake.waiting = "AT\r";
    channel.dataReceived();
    EXPECT_TRUE(channel.receivePending());
    clock.advance(100);
    fake.waiting += "\r\nOK\r\n"; // the rest of the answer arrives during the wait
    channel.dataReceived();         // raised again: no second wait
    clock.advance(149);
    EXPECT_EQ(fake.reads, 0);
    clock.advance(1);
    EXPECT_FALSE(channel.receivePending());
    EXPECT_EQ(fake.reads, 1);
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral("AT\r\r\nOK\r\n"));
    EXPECT_EQ(state.LastChunk, state.ReplyBuffer);
    EXPECT_TRUE(channel.probeAnswered());

    // An event that finds nothing leaves the reply; a later answer replaces it, not extends it.
    channel.dataReceived();
    clock.advance(250);
    EXPECT_EQ(state.LastChunk, QString());
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral("AT\r\r\nOK\r\n"));
    fake.waiting = "\xe8\r\n";
    channel.dataReceived();
    clock.advance(250);
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral("č\r\n"));
}

TEST_F(PhoneChannelTest, TheStepAfterAnAwaitDueDuringTheWaitRunsAfterTheAnswerIsStored)
{
    QStringList seen;
    ASSERT_TRUE(channel.begin(&window, [] {}));
    kva::Exchange e;
    e.send("AT+CPBR=5\r").await(50).then([&] { seen << QString::number(clock.nowMs()) + u':' + state.ReplyBuffer; });
    channel.run(e);
    fake.waiting = "answer";
    channel.dataReceived(); // read at 250 ms
    clock.advance(249);
    EXPECT_TRUE(seen.isEmpty());
    clock.advance(1);
    EXPECT_EQ(seen, QStringList{"250:answer"});
    EXPECT_FALSE(channel.busy()); // the table is done: the exchange ends
}

TEST_F(PhoneChannelTest, ClosedPortOrABusyChannelIsRefusedAndNothingIsSent)
{
    QPushButton own, other;
    channel.guardButtons({&own, &other});
    QList<bool> changes;
    QObject::connect(&channel, &kva::PhoneChannel::busyChanged, [&](bool b) { changes << b; });
    int idle = 0;
    fake.open = false;
    EXPECT_FALSE(channel.start(&window, [&] { ++idle; }, channel.probe(500, &window, {})));
    EXPECT_EQ(shown, QStringList{"Error|POZOR - sériový port není otevřen !"});
    EXPECT_EQ(fake.written, QByteArray());

    fake.open = true;
    state.ReplyBuffer = QStringLiteral("old");
    ASSERT_TRUE(channel.start(&window, [&] { ++idle; }, channel.probe(500, &window, {})));
    EXPECT_EQ(fake.written, QByteArray("AT\r"));
    EXPECT_EQ(state.ReplyBuffer, QStringLiteral(" "));
    EXPECT_FALSE(own.isEnabled());
    EXPECT_FALSE(other.isEnabled());
    EXPECT_FALSE(channel.start(&window, [&] { ++idle; }, channel.probe(500, &window, {})));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith("Error|POZOR - s telefonem právě probíhá jiná operace"));
    EXPECT_EQ(fake.written, QByteArray("AT\r"));
    channel.end();
    EXPECT_TRUE(own.isEnabled());
    EXPECT_TRUE(other.isEnabled());
    EXPECT_EQ(changes, (QList<bool>{true, false}));
    EXPECT_EQ(idle, 0); // ended, not aborted
}

TEST_F(PhoneChannelTest, ASilentPhoneEndsTheExchangeWithTheWarningAnAnsweredOneGoesOn)
{
    int enabled = 0;
    bool wentOn = false;
    kva::Exchange e = channel.probe(500, &window, [&] { ++enabled; });
    e.then([&] { wentOn = true; });
    ASSERT_TRUE(channel.start(&window, [] {}, e));
    clock.advance(500);
    EXPECT_FALSE(channel.busy());
    EXPECT_FALSE(wentOn);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(shown, QStringList{"Warning|POZOR - telefon nekomunikuje !"});

    ASSERT_TRUE(channel.start(&window, [] {}, e));
    fake.waiting = "AT\r\r\nOK\r\n";
    channel.dataReceived();
    clock.advance(500);
    EXPECT_TRUE(wentOn);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(shown.size(), 1);
}

TEST_F(PhoneChannelTest, AnErrorInAStepReturnsThePageToIdleAndIsShownOnce)
{
    int idle = 0;
    kva::Exchange e;
    e.send("one\r").pause(30).then([&] { fake.failWrites = true; }).send("two\r").pause(30).send("three\r");
    ASSERT_TRUE(channel.start(&window, [&] { ++idle; }, e));
    clock.runUntilIdle();
    EXPECT_EQ(fake.written, QByteArray("one\r"));
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(channel.busy());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|"
                                       "Write data error [requested: 3, free: 0] - AfComPort1 "));
}

TEST_F(PhoneChannelTest, AReadErrorAbortsTheExchangeAndDropsItsPendingStep)
{
    int idle = 0;
    bool stepRan = false;
    ASSERT_TRUE(channel.begin(&window, [&] { ++idle; }));
    fake.failReads = true;
    channel.dataReceived();
    channel.runStep([&] { stepRan = true; });
    clock.runUntilIdle();
    EXPECT_FALSE(channel.busy());
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(idle, 1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith("|Read data error - AfComPort1 "));
}

TEST_F(PhoneChannelTest, ShutdownStopsEverythingWithoutMessages)
{
    int idle = 0;
    bool stepRan = false;
    kva::Exchange e;
    e.send("a").pause(30).send("b");
    ASSERT_TRUE(channel.start(&window, [&] { ++idle; }, e));
    fake.waiting = "x";
    channel.dataReceived();
    channel.runStep([&] { stepRan = true; });
    channel.shutdown();
    clock.runUntilIdle();
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(fake.reads, 0);
    EXPECT_EQ(fake.written, QByteArray("a"));
    EXPECT_FALSE(channel.begin(&window, [] {}));
    EXPECT_TRUE(shown.isEmpty());
}
