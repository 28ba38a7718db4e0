// The phone channel without a display: a fake port, a manual clock, and what it reports
// through its signals recorded as "failed|text" / "silent|text".
#include "PhoneChannel.h"
#include "Scheduler.h"
#include "QStringPrint.h"

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
    PhoneChannelTest()
    {
        channel.setScheduler(clock);
        channel.setPort(fake.port());
        QObject::connect(&channel, &kva::PhoneChannel::failed, [this](const QString& m) { shown << "failed|" + m; });
        QObject::connect(&channel, &kva::PhoneChannel::silent, [this](const QString& m) { shown << "silent|" + m; });
    }
    // Starts `e` as an exchange whose `stopped` counts in `idle`.
    bool start(const kva::Exchange& e)
    {
        return channel.begin([this] { ++idle; }) && channel.run(e);
    }

    FakePort fake;
    kva::ManualClock clock;
    kva::PhoneChannel channel;
    QStringList shown;
    int idle = 0;
};

} // namespace

TEST_F(PhoneChannelTest, ReceiveWaitsThenKeepsEverythingSinceTheCommand)
{
    channel.send(QByteArray("AT\r"));
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
    EXPECT_EQ(channel.receivedSinceSend(), QStringLiteral("AT\r\r\nOK\r\n"));
    EXPECT_TRUE(channel.probeAnswered());

    // An event that finds nothing changes nothing; a later answer adds to the text (Windows-1250
    // decoded), and the probe stays answered: its "OK" line came.
    channel.dataReceived();
    clock.advance(250);
    EXPECT_EQ(channel.receivedSinceSend(), QStringLiteral("AT\r\r\nOK\r\n"));
    EXPECT_TRUE(channel.probeAnswered());
    fake.waiting = "\xe8\r\n";
    channel.dataReceived();
    clock.advance(250);
    EXPECT_EQ(channel.receivedSinceSend(), QStringLiteral("AT\r\r\nOK\r\nč\r\n"));
    EXPECT_TRUE(channel.probeAnswered());
    // A new command starts a new answer.
    channel.send(QByteArray("AT+CPBR=1\r"));
    EXPECT_EQ(channel.receivedSinceSend(), QString());
}

TEST_F(PhoneChannelTest, TheStepAfterAnAwaitDueDuringTheWaitRunsAfterTheAnswerIsStored)
{
    QStringList seen;
    kva::Exchange e;
    e.send("AT+CPBR=5\r").await(50).then([&] { seen << QString::number(clock.nowMs()) + u':' + channel.receivedSinceSend(); });
    ASSERT_TRUE(start(e));
    fake.waiting = "answer";
    channel.dataReceived(); // read at 250 ms
    clock.advance(249);
    EXPECT_TRUE(seen.isEmpty());
    clock.advance(1);
    EXPECT_EQ(seen, QStringList{"250:answer"});
    EXPECT_FALSE(channel.busy()); // the table is done: the exchange ends
}

TEST_F(PhoneChannelTest, OneExchangeAtATime)
{
    QList<bool> changes;
    QObject::connect(&channel, &kva::PhoneChannel::busyChanged, [&](bool b) { changes << b; });
    ASSERT_TRUE(start(channel.probe(500, {})));
    EXPECT_EQ(fake.written, QByteArray("AT\r"));
    EXPECT_FALSE(channel.begin([] {}));
    EXPECT_EQ(fake.written, QByteArray("AT\r"));
    channel.end();
    EXPECT_EQ(changes, (QList<bool>{true, false}));
    EXPECT_EQ(idle, 0); // ended, not aborted
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(PhoneChannelTest, ASilentPhoneEndsTheExchangeWithTheWarningAnAnsweredOneGoesOn)
{
    int enabled = 0;
    bool wentOn = false;
    kva::Exchange e = channel.probe(500, [&] { ++enabled; });
    e.then([&] { wentOn = true; });
    ASSERT_TRUE(start(e));
    clock.advance(500);
    EXPECT_FALSE(channel.busy());
    EXPECT_FALSE(wentOn);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(shown, QStringList{"silent|POZOR - telefon nekomunikuje !"});

    ASSERT_TRUE(start(e));
    fake.waiting = "AT\r\r\nOK\r\n";
    channel.dataReceived();
    clock.advance(500);
    EXPECT_TRUE(wentOn);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(shown.size(), 1);
}

TEST_F(PhoneChannelTest, AnErrorInAStepReturnsThePageToIdleAndIsShownOnce)
{
    kva::Exchange e;
    e.send("one\r").pause(30).then([&] { fake.failWrites = true; }).send("two\r").pause(30).send("three\r");
    ASSERT_TRUE(start(e));
    clock.runUntilIdle();
    EXPECT_EQ(fake.written, QByteArray("one\r"));
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(channel.busy());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QStringLiteral("failed|Write data error [requested: 3, free: 0] - AfComPort1 "));
}

TEST_F(PhoneChannelTest, AReadErrorAbortsTheExchangeAndDropsItsPendingStep)
{
    bool stepRan = false;
    ASSERT_TRUE(channel.begin([&] { ++idle; }));
    fake.failReads = true;
    channel.dataReceived();
    channel.runStep([&] { stepRan = true; });
    clock.runUntilIdle();
    EXPECT_FALSE(channel.busy());
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(idle, 1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QStringLiteral("failed|Read data error - AfComPort1 "));
}

TEST_F(PhoneChannelTest, ShutdownStopsEverythingWithoutMessages)
{
    bool stepRan = false;
    kva::Exchange e;
    e.send("a").pause(30).send("b");
    ASSERT_TRUE(start(e));
    fake.waiting = "x";
    channel.dataReceived();
    channel.runStep([&] { stepRan = true; });
    channel.shutdown();
    clock.runUntilIdle();
    EXPECT_EQ(idle, 1);
    EXPECT_FALSE(stepRan);
    EXPECT_EQ(fake.reads, 0);
    EXPECT_EQ(fake.written, QByteArray("a"));
    EXPECT_FALSE(channel.begin([] {}));
    EXPECT_TRUE(shown.isEmpty());
}
