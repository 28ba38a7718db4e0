#include "AfSafeSync.h"

#include "KvaError.h"

#include "AfUtils.h"
#include "AfWakeFd.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace AfSafeSync {
namespace {

struct Entry {
    bool Enabled = false;
    std::function<void()> Handler;
    int Id = 0;
};

struct CallState {
    bool Done = false;
    bool Abandoned = false;
};

struct Call {
    int Id = 0;                    // registry entry, or 0 for Routine
    std::function<void()> Routine; // RunOnMainThread
    std::shared_ptr<CallState> State;
};

// Worker threads never touch Qt: they queue the call under QueueLock and poke an eventfd
// that a QSocketNotifier watches on the user-interface thread.
class Receiver {
public:
    Receiver();
    std::unique_ptr<QSocketNotifier> Notifier;
    TAfWakeFd Wake;
};

std::mutex RegistryLock;
bool SetUp = false;
Entry Entries[MaxEntries];
int Count = 0;
int LastId = 0;
std::thread::id MainThread;
Receiver* TheReceiver = nullptr;

std::mutex QueueLock;
std::condition_variable QueueChanged; // a call was queued or finished, or WakeWaiters
std::deque<Call> Queue;

std::mutex DisplayLock;
std::function<void(const QString&)> Display;

void Drain();

Receiver::Receiver()
{
    Notifier = std::make_unique<QSocketNotifier>(Wake.Fd(), QSocketNotifier::Read);
    QObject::connect(Notifier.get(), &QSocketNotifier::activated, Notifier.get(), [this] {
        Wake.Drain();
        Drain();
    });
}

void TearDown()
{
    Receiver* receiver = nullptr;
    {
        std::lock_guard<std::mutex> lock(RegistryLock);
        if (!SetUp)
            return;
        SetUp = false;
        receiver = TheReceiver;
        TheReceiver = nullptr;
        for (Entry& e : Entries)
            e = Entry();
        Count = 0;
    }
    delete receiver;
}

// Under RegistryLock.
void SetUpLocked()
{
    if (SetUp)
        return;
    MainThread = std::this_thread::get_id();
    if (QCoreApplication::instance()) {
        TheReceiver = new Receiver;
        qAddPostRoutine(TearDown);
    }
    for (Entry& e : Entries)
        e = Entry();
    Count = 0;
    SetUp = true;
}

// Under RegistryLock.
int FindLocked(int id)
{
    if (!SetUp || id == 0)
        return -1;
    for (int i = 0; i < MaxEntries; ++i)
        if (Entries[i].Id == id)
            return i;
    return -1;
}

void RunOne(const Call& call)
{
    std::function<void()> handler;
    if (call.Id != 0) {
        std::lock_guard<std::mutex> lock(RegistryLock);
        const int i = FindLocked(call.Id);
        if (i >= 0 && Entries[i].Handler && Entries[i].Enabled)
            handler = Entries[i].Handler;
    } else {
        handler = call.Routine;
    }
    if (handler) {
        try {
            handler();
        } catch (const EAfAbort&) {
        } catch (...) {
            AfShowError(std::current_exception());
        }
    }
}

// User-interface thread: runs every queued call that still has a waiting worker.
void Drain()
{
    std::unique_lock<std::mutex> lock(QueueLock);
    while (!Queue.empty()) {
        Call call = std::move(Queue.front());
        Queue.pop_front();
        if (call.State->Abandoned)
            continue;
        lock.unlock();
        RunOne(call);
        lock.lock();
        call.State->Done = true;
        QueueChanged.notify_all();
    }
}

bool Post(Call call, int timeoutMs)
{
    std::shared_ptr<CallState> state = call.State;
    {
        std::lock_guard<std::mutex> lock(QueueLock);
        Queue.push_back(std::move(call));
    }
    QueueChanged.notify_all();
    {
        std::lock_guard<std::mutex> lock(RegistryLock);
        if (TheReceiver)
            TheReceiver->Wake.Wake();
    }
    std::unique_lock<std::mutex> lock(QueueLock);
    bool done = true;
    if (timeoutMs < 0)
        QueueChanged.wait(lock, [&] { return state->Done; });
    else
        done = QueueChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state->Done; });
    if (!done)
        state->Abandoned = true;
    return done;
}

} // namespace

int AddCallback(std::function<void()> handler)
{
    if (!handler)
        return 0;
    std::lock_guard<std::mutex> lock(RegistryLock);
    SetUpLocked();
    for (Entry& e : Entries) {
        if (!e.Handler) {
            LastId = LastId == 0x7FFFFFFF ? 1 : LastId + 1;
            e.Enabled = false;
            e.Handler = std::move(handler);
            e.Id = LastId;
            ++Count;
            return e.Id;
        }
    }
    return 0;
}

bool RemoveCallback(int id)
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    const int i = FindLocked(id);
    if (i < 0)
        return false;
    Entries[i] = Entry();
    --Count;
    return true;
}

bool EnableCallback(int id, bool enabled)
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    const int i = FindLocked(id);
    if (i < 0 || !Entries[i].Handler)
        return false;
    Entries[i].Enabled = enabled;
    return true;
}

bool CallOnMainThread(int id, int timeoutMs)
{
    int index;
    {
        std::lock_guard<std::mutex> lock(RegistryLock);
        index = FindLocked(id);
        if (index < 0 || !Entries[index].Handler || !Entries[index].Enabled)
            return false;
    }
    Call call{id, nullptr, std::make_shared<CallState>()};
    if (IsMainThread())
        RunOne(call);
    else
        Post(std::move(call), timeoutMs);
    std::lock_guard<std::mutex> lock(RegistryLock);
    return SetUp && Entries[index].Id == id && Entries[index].Handler && Entries[index].Enabled;
}

bool RunOnMainThread(std::function<void()> routine, int timeoutMs)
{
    if (IsMainThread()) {
        RunOne(Call{0, std::move(routine), std::make_shared<CallState>()});
        return true;
    }
    {
        std::lock_guard<std::mutex> lock(RegistryLock);
        if (!SetUp)
            return false;
    }
    return Post(Call{0, std::move(routine), std::make_shared<CallState>()}, timeoutMs);
}

bool WaitProcessingCalls(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(QueueLock);
    for (;;) {
        if (!Queue.empty()) {
            lock.unlock();
            Drain();
            lock.lock();
            continue;
        }
        if (done())
            return true;
        if (timeoutMs < 0)
            QueueChanged.wait(lock);
        else if (QueueChanged.wait_until(lock, deadline) == std::cv_status::timeout)
            return done();
    }
}

void WakeWaiters()
{
    {
        std::lock_guard<std::mutex> lock(QueueLock);
    }
    QueueChanged.notify_all();
}

bool IsMainThread()
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    return SetUp && MainThread == std::this_thread::get_id();
}

int EntryCount()
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    return Count;
}

} // namespace AfSafeSync

void AfSetErrorDisplay(std::function<void(const QString&)> display)
{
    std::lock_guard<std::mutex> lock(AfSafeSync::DisplayLock);
    AfSafeSync::Display = std::move(display);
}

void AfShowError(std::exception_ptr error)
{
    const QString message = kva::messageOf(error);
    std::function<void(const QString&)> display;
    {
        std::lock_guard<std::mutex> lock(AfSafeSync::DisplayLock);
        display = AfSafeSync::Display;
    }
    if (display)
        display(message);
    else
        qCritical("%s", message.toUtf8().constData());
}
