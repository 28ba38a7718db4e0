#pragma once
// One exchange with the phone as a table of steps, and the one runner that plays every
// exchange of every page: send a command, wait for its answer, examine it, pause, show
// progress. The runner takes its time from a Scheduler, so tests drive it with a ManualClock.
//
//   kva::Exchange e;
//   e.send(kva::probeCommand()).await(500)            // the answer is stored before the next step
//    .then([&] { examine(reply); })                    // may end the exchange, or continueWith()
//    .send(cmd5).pause(500).then([&] { gauge(50); })   // pauses are planned: they do not drift
//    .send(cmd6);
//   runner.start(std::move(e));
//
// Thread contract: the thread of the scheduler (the user-interface thread in the program).
#include "Scheduler.h"

#include <QByteArray>
#include <QString>

#include <exception>
#include <functional>
#include <vector>

namespace kva {

struct Step {
    enum Kind {
        Send,  // `bytes` written to the port
        Pause, // `ms`, counted from the planned end of the previous pause
        Await, // `ms` from now for the answer; the next step runs once an answer being
               // received has been stored
        Do,    // `action` runs
        AwaitAnswer, // at most `ms` from now for the answer: the next step runs as soon as
                     // `complete` holds, when the step begins or when the runner is told an
                     // answer was stored (StepRunner::answerStored), else once `ms` have passed
    } kind;
    QByteArray bytes;
    int ms = 0;
    std::function<void()> action;
    // Examined as a Pause or an Await ends (after an answer being received has been stored): a
    // non-empty text stops the exchange with that text as its error, and so does an exception.
    std::function<QString()> check;
    std::function<bool()> complete; // AwaitAnswer: the answer is whole (may throw, as a step)
};

class Exchange {
public:
    // The bytes are fixed now: what an exchange sends does not change while it runs.
    Exchange& send(const QByteArray& bytes);
    Exchange& send(const QString& text); // converted to Windows-1250 now
    Exchange& send(const char* bytes) { return send(QByteArray(bytes)); }
    Exchange& pause(int ms);
    Exchange& await(int ms);
    // Waits for the answer until `complete` holds, or `ms` at most.
    Exchange& awaitAnswer(int ms, std::function<bool()> complete);
    Exchange& then(std::function<void()> action);
    // Sets the check of the last step, which must be a Pause or an Await of either kind.
    Exchange& check(std::function<QString()> check);
    Exchange& append(const Exchange& more);

    const std::vector<Step>& steps() const { return steps_; }
    int totalPauseMs() const; // pauses and answer waits (the longest of an AwaitAnswer)

private:
    std::vector<Step> steps_;
};

class StepRunner {
public:
    // `write` sends the bytes of a Send step (it may throw).
    StepRunner(Scheduler& scheduler, std::function<void(const QByteArray&)> write);
    ~StepRunner();
    StepRunner(const StepRunner&) = delete;
    StepRunner& operator=(const StepRunner&) = delete;

    void setScheduler(Scheduler& scheduler); // not while running
    Scheduler& scheduler() const { return *scheduler_; }

    // Runs the steps in order; those before the first pause or wait run before start()
    // returns. A step that throws (or a failed check) stops the exchange and hands the
    // error to onError. Starting while running is refused (false).
    bool start(Exchange exchange);
    // From an action of the running exchange: `more` runs next, before the remaining steps.
    void continueWith(const Exchange& more);
    // An answer (or a piece of one) has been stored: an AwaitAnswer step that is waiting ends
    // now when its answer is complete, and the steps after it run before this returns.
    // Anything else is left as it is.
    void answerStored();
    // No further step runs; onFinished and onError are not called.
    void abort();
    bool running() const { return running_; }

    // How the step after an Await is run: by default at once; the channel runs it once an
    // answer being received has been stored.
    std::function<void(Scheduler::Task)> afterAnswer;
    std::function<void()> onFinished;
    std::function<void(std::exception_ptr)> onError;

private:
    void advance();
    void answered(unsigned generation);
    // Runs the `complete` of an AwaitAnswer step; an exception stops the exchange (false).
    bool completeNow(std::function<bool()> isComplete, bool& complete);
    bool passes(const Step& step);
    void stop(std::exception_ptr error);

    Scheduler* scheduler_;
    std::function<void(const QByteArray&)> write_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool running_ = false;
    bool awaitingAnswer_ = false; // an AwaitAnswer step waits and its time has not run out
    unsigned generation_ = 0;
    qint64 dueNs_ = 0; // planned end of the current pause
    Scheduler::Id task_ = 0;
};

} // namespace kva
