#include "Exchange.h"
#include "KvaError.h"
#include "Scheduler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Runs exchanges on a manual clock and notes what happened when: "<ms> <bytes or note>".
class StepRunnerTest : public ::testing::Test {
protected:
    StepRunnerTest() : runner(clock, [this](const QByteArray& b) { note(b.toStdString()); })
    {
        runner.onFinished = [this] { note("finished"); };
        runner.onError = [this](std::exception_ptr e) { note("error " + kva::messageOf(e).toStdString()); };
    }
    void note(const std::string& what) { log.push_back(std::to_string(clock.nowMs()) + ' ' + what); }

    kva::ManualClock clock;
    kva::StepRunner runner;
    std::vector<std::string> log;
};

TEST_F(StepRunnerTest, PausesArePlannedAndAnAwaitCountsFromWhenItsAnswerIsExamined)
{
    // An answer being received holds the step after an Await back by 40 ms.
    runner.afterAnswer = [&](kva::Scheduler::Task t) { clock.after(40, std::move(t)); };
    kva::Exchange e;
    e.send("A").pause(500).send("B").pause(1000).then([this] { note("gauge"); })
        .await(300).send("C").pause(800).send("D");
    EXPECT_EQ(e.totalPauseMs(), 2600);
    runner.start(e);
    EXPECT_EQ(log, (std::vector<std::string>{"0 A"})); // the steps before the first pause run at once
    EXPECT_FALSE(runner.start(kva::Exchange{}));        // one exchange at a time
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "500 B", "1500 gauge", "1840 C", "2640 D", "2640 finished"}));
    EXPECT_FALSE(runner.running());
}

TEST_F(StepRunnerTest, AnErrorOrAFailedCheckStopsTheExchangeOnce)
{
    kva::Exchange throwing;
    throwing.send("A").pause(100).then([] { throw kva::Error(QStringLiteral("Chyba zápisu")); }).send("B");
    runner.start(throwing);
    clock.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "100 error Chyba zápisu"}));

    log.clear();
    kva::Exchange checked;
    checked.send("A").await(300).check([] { return QString(); }).send("B").pause(200).check([] {
        return QStringLiteral("pozice 5");
    });
    checked.send("C");
    runner.start(checked);
    clock.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"100 A", "400 B", "600 error pozice 5"}));
}

TEST_F(StepRunnerTest, AnActionMayEndTheExchangeOrContinueWithMoreSteps)
{
    kva::Exchange e;
    e.send("A").then([this] {
        kva::Exchange more;
        more.pause(200).send("inserted");
        runner.continueWith(more);
    });
    e.send("B").then([this] { runner.abort(); }).send("never");
    runner.start(e);
    clock.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "200 inserted", "200 B"}));
    EXPECT_FALSE(runner.running());

    // An abort from outside drops the pending pause.
    log.clear();
    kva::Exchange late;
    late.pause(100).send("late");
    runner.start(late);
    runner.abort();
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_TRUE(log.empty());
}

TEST_F(StepRunnerTest, AwaitAnswerEndsWhenTheStoredAnswerIsCompleteOrItsTimeIsUp)
{
    QByteArray answer;
    const auto whole = [&] { return answer.endsWith("OK\r\n"); };
    kva::Exchange e;
    e.send("A").awaitAnswer(1000, whole).then([this] { note("examined"); }).pause(100).send("B");
    e.send("C").awaitAnswer(1000, whole).check([] { return QStringLiteral("bez odpovědi"); }).send("never");
    runner.start(e);
    clock.advance(30);
    answer = "A\r\r\nO";
    runner.answerStored(); // a piece: not yet
    clock.advance(20);
    answer += "K\r\n";
    runner.answerStored();
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "50 examined"}));
    runner.answerStored(); // nothing waits: nothing happens
    answer.clear();        // C's answer never comes: its check stops the exchange at the end of its wait
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "50 examined", "150 B", "150 C", "1150 error bez odpovědi"}));
}

TEST_F(StepRunnerTest, AwaitAnswerWithItsAnswerThereAlreadyDoesNotWait)
{
    bool whole = true;
    kva::Exchange e;
    e.send("A").awaitAnswer(1000, [&] { return whole; }).send("B").then([&] { whole = false; });
    e.awaitAnswer(500, [&] { return whole; }).send("C");
    runner.start(e);
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "0 B"}));
    // A time that is up ends the wait once; an answer stored afterwards changes nothing.
    runner.afterAnswer = [&](kva::Scheduler::Task t) {
        whole = true;
        runner.answerStored();
        clock.after(40, std::move(t));
    };
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "0 B", "540 C", "540 finished"}));
}

TEST_F(StepRunnerTest, AStoredAnswerDoesNotShortenAFixedAwaitOrAPause)
{
    kva::Exchange e;
    e.send("A").await(300).send("B").pause(200).send("C");
    runner.start(e);
    for (int ms = 0; ms < 600; ms += 10) {
        runner.answerStored();
        clock.advance(10);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "300 B", "500 C", "500 finished"}));
}

TEST_F(StepRunnerTest, AnAnswerTestThatThrowsStopsTheExchange)
{
    bool thrown = false;
    kva::Exchange e;
    e.send("A").awaitAnswer(1000, [&]() -> bool {
        if (thrown)
            throw kva::Error(QStringLiteral("Vadná odpověď"));
        return false;
    });
    e.send("B");
    runner.start(e);
    clock.advance(10);
    thrown = true;
    runner.answerStored();
    EXPECT_FALSE(runner.running());
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"0 A", "10 error Vadná odpověď"}));
}

} // namespace
