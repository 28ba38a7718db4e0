#include "AfSafeSync.h"
#include "AfUtils.h"
#include "PtyPeer.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Runs a call on a worker while the user-interface thread runs its event loop.
bool callFromWorker(int id, int timeoutMs, const std::function<void()>& whileWaiting = nullptr)
{
    auto result = std::async(std::launch::async, [=] { return AfSafeSync::CallOnMainThread(id, timeoutMs); });
    if (whileWaiting)
        whileWaiting();
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return result.get();
}

struct DisplayRecorder {
    DisplayRecorder() { AfSetErrorDisplay([this](const QString& m) { messages.push_back(m); }); }
    ~DisplayRecorder() { AfSetErrorDisplay(nullptr); }
    std::vector<QString> messages;
};

} // namespace

TEST(SafeSync, SixtyFourEntriesAtMost)
{
    const int before = AfSafeSync::EntryCount();
    std::vector<int> ids;
    for (int i = before; i < AfSafeSync::MaxEntries; ++i) {
        const int id = AfSafeSync::AddCallback([] {});
        ASSERT_NE(id, 0);
        ids.push_back(id);
    }
    EXPECT_EQ(AfSafeSync::AddCallback([] {}), 0);
    EXPECT_EQ(AfSafeSync::EntryCount(), AfSafeSync::MaxEntries);
    for (int id : ids)
        EXPECT_TRUE(AfSafeSync::RemoveCallback(id));
    EXPECT_FALSE(AfSafeSync::RemoveCallback(ids.front()));
    EXPECT_EQ(AfSafeSync::EntryCount(), before);
    // Identifiers keep growing; a freed place is reused with a new one.
    const int again = AfSafeSync::AddCallback([] {});
    EXPECT_GT(again, ids.back());
    AfSafeSync::RemoveCallback(again);
}

TEST(SafeSync, UnknownOrDisabledEntryIsTurnedAwayAtOnce)
{
    EXPECT_FALSE(callFromWorker(0, 2000));
    std::atomic<int> runs{0};
    const int id = AfSafeSync::AddCallback([&] { ++runs; });
    EXPECT_FALSE(callFromWorker(id, 2000)); // entries start disabled
    EXPECT_FALSE(AfSafeSync::EnableCallback(0, true));
    Pump(20);
    EXPECT_EQ(runs.load(), 0);
    AfSafeSync::RemoveCallback(id);
}

TEST(SafeSync, CallRunsOnTheUserInterfaceThread)
{
    std::atomic<bool> onMain{false};
    std::atomic<int> runs{0};
    const int id = AfSafeSync::AddCallback([&] {
        onMain = QThread::currentThread() == QCoreApplication::instance()->thread();
        ++runs;
    });
    ASSERT_TRUE(AfSafeSync::EnableCallback(id, true));
    EXPECT_TRUE(callFromWorker(id, 2000));
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(onMain.load());
    AfSafeSync::RemoveCallback(id);
}

TEST(SafeSync, RaisingCallbackIsShownAndTheCallSucceeds)
{
    DisplayRecorder display;
    const int id = AfSafeSync::AddCallback([] { throw EAfComPortError("Chyba v obsluze"); });
    AfSafeSync::EnableCallback(id, true);
    EXPECT_TRUE(callFromWorker(id, 2000));
    ASSERT_EQ(display.messages.size(), 1u);
    EXPECT_EQ(display.messages[0], "Chyba v obsluze");
    AfSafeSync::RemoveCallback(id);
}

TEST(SafeSync, EntryRemovedDuringTheCallMakesItFail)
{
    int id = 0;
    id = AfSafeSync::AddCallback([&] { AfSafeSync::RemoveCallback(id); });
    AfSafeSync::EnableCallback(id, true);
    EXPECT_FALSE(callFromWorker(id, 2000));
    EXPECT_FALSE(AfSafeSync::RemoveCallback(id));
}

TEST(SafeSync, EntryRemovedWhileTheCallWaitsIsNotRun)
{
    std::atomic<int> runs{0};
    const int id = AfSafeSync::AddCallback([&] { ++runs; });
    AfSafeSync::EnableCallback(id, true);
    EXPECT_FALSE(callFromWorker(id, 2000, [&] {
        QThread::msleep(30); // the call is queued, not yet handled
        AfSafeSync::RemoveCallback(id);
    }));
    EXPECT_EQ(runs.load(), 0);
}

TEST(SafeSync, TimeOutIsNotReportedAndTheLateCallIsDropped)
{
    std::atomic<int> runs{0};
    const int id = AfSafeSync::AddCallback([&] { ++runs; });
    AfSafeSync::EnableCallback(id, true);
    // The user-interface thread is busy: no events are handled during the wait.
    auto result = std::async(std::launch::async, [=] { return AfSafeSync::CallOnMainThread(id, 60); });
    EXPECT_TRUE(result.get());
    Pump(30);
    EXPECT_EQ(runs.load(), 0);
    AfSafeSync::RemoveCallback(id);
}

TEST(SafeSync, WaitProcessingCallsAnswersWorkers)
{
    std::atomic<int> runs{0};
    const int id = AfSafeSync::AddCallback([&] { ++runs; });
    AfSafeSync::EnableCallback(id, true);
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            AfSafeSync::CallOnMainThread(id, 2000);
        finished = true;
        AfSafeSync::WakeWaiters();
    });
    EXPECT_TRUE(AfSafeSync::WaitProcessingCalls([&] { return finished.load(); }, 5000));
    worker.join();
    EXPECT_EQ(runs.load(), 5);
    AfSafeSync::RemoveCallback(id);
}
