#include "Scheduler.h"

#include <QTimer>

namespace kva {

QtScheduler::QtScheduler(QObject* parent) : QObject(parent)
{
    clock_.start();
}

Scheduler::Id QtScheduler::after(int ms, Task task)
{
    const Id id = ++last_;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, task = std::move(task)] {
        const auto it = timers_.find(id);
        if (it == timers_.end())
            return;
        it->second->deleteLater(); // this lambda belongs to it
        timers_.erase(it);
        task();
    });
    timers_[id] = timer;
    timer->start(ms < 0 ? 0 : ms);
    return id;
}

void QtScheduler::cancel(Id id)
{
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    static_cast<QTimer*>(it->second)->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

Scheduler::Id ManualClock::after(int ms, Task task)
{
    const Id id = ++last_;
    tasks_.emplace(std::make_pair(nowMs_ + (ms < 0 ? 0 : ms), id), std::move(task));
    return id;
}

void ManualClock::cancel(Id id)
{
    for (auto it = tasks_.begin(); it != tasks_.end(); ++it)
        if (it->first.second == id) {
            tasks_.erase(it);
            return;
        }
}

void ManualClock::advance(qint64 ms)
{
    const qint64 end = nowMs_ + ms;
    while (!tasks_.empty() && tasks_.begin()->first.first <= end) {
        const auto first = tasks_.begin();
        nowMs_ = first->first.first;
        Task task = std::move(first->second);
        tasks_.erase(first);
        task();
    }
    nowMs_ = end;
}

bool ManualClock::runUntilIdle(qint64 limitMs)
{
    const qint64 end = nowMs_ + limitMs;
    while (!tasks_.empty() && tasks_.begin()->first.first <= end)
        advance(tasks_.begin()->first.first - nowMs_);
    return tasks_.empty();
}

} // namespace kva
