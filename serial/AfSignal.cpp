#include "AfSignal.h"

#include <cassert>

TAfSignal::TAfSignal(bool autoReset, std::shared_ptr<TAfSignalHub> hub)
    : hub_(hub ? std::move(hub) : std::make_shared<TAfSignalHub>()), autoReset_(autoReset)
{
}

void TAfSignal::Set()
{
    {
        std::lock_guard<std::mutex> lock(hub_->Lock);
        state_ = true;
    }
    hub_->Changed.notify_all();
    if (hook_)
        hook_();
}

void TAfSignal::Reset()
{
    std::lock_guard<std::mutex> lock(hub_->Lock);
    state_ = false;
}

bool TAfSignal::IsSet() const
{
    std::lock_guard<std::mutex> lock(hub_->Lock);
    return state_;
}

bool TAfSignal::TakeLocked()
{
    if (!state_)
        return false;
    if (autoReset_)
        state_ = false;
    return true;
}

bool TAfSignal::TryTake()
{
    std::lock_guard<std::mutex> lock(hub_->Lock);
    return TakeLocked();
}

bool TAfSignal::Wait(int timeoutMs)
{
    return WaitAny({this}, timeoutMs) == 0;
}

int TAfSignal::WaitAny(std::initializer_list<TAfSignal*> list, int timeoutMs)
{
    assert(list.size() > 0);
    TAfSignalHub& hub = *(*list.begin())->hub_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(hub.Lock);
    auto takeFirst = [&]() {
        int index = 0;
        for (TAfSignal* s : list) {
            assert(s->hub_.get() == &hub);
            if (s->TakeLocked())
                return index;
            ++index;
        }
        return -1;
    };
    for (;;) {
        const int index = takeFirst();
        if (index >= 0)
            return index;
        if (timeoutMs < 0)
            hub.Changed.wait(lock);
        else if (hub.Changed.wait_until(lock, deadline) == std::cv_status::timeout)
            return takeFirst();
    }
}
