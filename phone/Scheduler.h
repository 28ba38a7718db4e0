#pragma once
// Where the exchanges take their time from. Production uses QtScheduler (precise QTimers on the
// user-interface thread); tests use ManualClock and move time on by hand, so a 28 s exchange
// replays in milliseconds with exact pause lengths.
#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <map>
#include <utility>

namespace kva {

class Scheduler {
public:
    using Task = std::function<void()>;
    using Id = quint64; // 0 is never an id

    virtual ~Scheduler() = default;
    // Time since the scheduler started, in nanoseconds.
    virtual qint64 nowNs() const = 0;
    // Runs `task` once, `ms` from now (from the event loop, never inside this call).
    virtual Id after(int ms, Task task) = 0;
    // The task will not run; an unknown or finished id is ignored.
    virtual void cancel(Id id) = 0;
};

// Precise single-shot QTimers: a coarse timer may fire up to 5 % early.
class QtScheduler : public QObject, public Scheduler {
public:
    explicit QtScheduler(QObject* parent = nullptr);
    qint64 nowNs() const override { return clock_.nsecsElapsed(); }
    Id after(int ms, Task task) override;
    void cancel(Id id) override;

private:
    QElapsedTimer clock_;
    std::map<Id, QObject*> timers_;
    Id last_ = 0;
};

// Time moves only when the test says so. Tasks due at the same moment run in the order they
// were scheduled.
class ManualClock : public Scheduler {
public:
    qint64 nowNs() const override { return nowMs_ * 1000000; }
    qint64 nowMs() const { return nowMs_; }
    Id after(int ms, Task task) override;
    void cancel(Id id) override;

    // Runs every task due within `ms` from now, each at its own time, then stands at now + ms.
    void advance(qint64 ms);
    // Runs tasks until none is left or `limitMs` have passed; false when tasks were left.
    bool runUntilIdle(qint64 limitMs = 600000);
    bool idle() const { return tasks_.empty(); }

private:
    qint64 nowMs_ = 0;
    Id last_ = 0;
    std::map<std::pair<qint64, Id>, Task> tasks_; // by due time, then by order of scheduling
};

} // namespace kva
