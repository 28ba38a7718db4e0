#include "TimedSequence.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct Log {
    QElapsedTimer clock;
    QList<QPair<QByteArray, qint64>> entries;
    void add(const QByteArray& what) { entries.append({what, clock.elapsed()}); }
    QList<QByteArray> names() const
    {
        QList<QByteArray> n;
        for (const auto& e : entries)
            n << e.first;
        return n;
    }
};

} // namespace

TEST(TimedSequence, KeepsOrderAndPausesWithoutBlockingTheEventLoop)
{
    Log log;
    kva::SequenceRunner runner([&](const QByteArray& b) { log.add(b); });
    bool finished = false;
    runner.onFinished = [&] { finished = true; };
    QByteArray text = "first\r";
    kva::Sequence s;
    s.send(text).pause(100).then([&] { log.add("gauge"); }).pause(100).send(QStringLiteral("žluť\r"));
    text = "changed"; // what is sent was fixed when the step was added
    EXPECT_EQ(s.totalPauseMs(), 200);

    int heartbeats = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++heartbeats; });
    heartbeat.start(5);
    log.clock.start();
    ASSERT_TRUE(runner.start(std::move(s)));
    EXPECT_EQ(log.names(), QList<QByteArray>{"first\r"}); // the steps before the first pause ran at once
    EXPECT_FALSE(runner.start(kva::Sequence()));           // one at a time
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 2000));
    EXPECT_EQ(log.names(), (QList<QByteArray>{"first\r", "gauge", "\x9elu\x9d\r"}));
    EXPECT_GE(log.entries[1].second, 100);
    EXPECT_GE(log.entries[2].second, 200);
    EXPECT_LT(log.entries[2].second, 260);
    EXPECT_GT(heartbeats, 10); // the event loop ran during the pauses
    EXPECT_FALSE(runner.running());
}

TEST(TimedSequence, AnErrorStopsTheSequenceOnce)
{
    QList<QByteArray> sent;
    kva::SequenceRunner runner([&](const QByteArray& b) {
        if (b == "bad")
            throw std::runtime_error("Write data error");
        sent << b;
    });
    int errors = 0;
    bool finished = false;
    runner.onError = [&](std::exception_ptr) { ++errors; };
    runner.onFinished = [&] { finished = true; };
    kva::Sequence s;
    s.send(QByteArray("a")).pause(20).send(QByteArray("bad")).pause(20).send(QByteArray("c"));
    runner.start(std::move(s));
    QTest::qWait(100);
    EXPECT_EQ(sent, QList<QByteArray>{"a"});
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(finished);
    EXPECT_FALSE(runner.running());
}

TEST(TimedSequence, AbortFromOutsideOrFromAStepStopsEverything)
{
    QList<QByteArray> sent;
    kva::SequenceRunner runner([&](const QByteArray& b) { sent << b; });
    bool finished = false;
    runner.onFinished = [&] { finished = true; };
    kva::Sequence s;
    s.send(QByteArray("a")).pause(30).send(QByteArray("b"));
    runner.start(std::move(s));
    runner.abort();
    QTest::qWait(80);
    EXPECT_EQ(sent, QList<QByteArray>{"a"});

    kva::Sequence t;
    t.send(QByteArray("x")).then([&] { runner.abort(); }).send(QByteArray("y"));
    runner.start(std::move(t));
    EXPECT_EQ(sent, (QList<QByteArray>{"a", "x"}));
    EXPECT_FALSE(finished);
    EXPECT_FALSE(runner.running());
}
