#pragma once
// Auto-reset and manual-reset signals on std::mutex/std::condition_variable. Signals that are
// waited on together (WaitAny) share one hub. A hook, fixed before other threads use the
// signal, runs after every Set: it wakes a thread that waits in poll() instead of on the hub.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>

struct TAfSignalHub {
    std::mutex Lock;
    std::condition_variable Changed;
};

class TAfSignal {
public:
    explicit TAfSignal(bool autoReset, std::shared_ptr<TAfSignalHub> hub = nullptr);
    TAfSignal(const TAfSignal&) = delete;
    TAfSignal& operator=(const TAfSignal&) = delete;

    void SetHook(std::function<void()> hook) { hook_ = std::move(hook); }
    void Set();
    void Reset();
    bool IsSet() const;
    // Set: true, and an auto-reset signal is reset.
    bool TryTake();
    // timeoutMs < 0: no limit. True when the signal was set (and taken, if auto-reset).
    bool Wait(int timeoutMs);
    // Index of the first set signal in list order (taken if auto-reset), -1 on time-out.
    static int WaitAny(std::initializer_list<TAfSignal*> list, int timeoutMs);

private:
    bool TakeLocked();

    std::shared_ptr<TAfSignalHub> hub_;
    bool autoReset_;
    bool state_ = false;
    std::function<void()> hook_;
};
