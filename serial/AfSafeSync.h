#pragma once
// The main-thread call registry: up to 64 callbacks with nonzero identifiers; a worker thread
// has one of them run on the user-interface thread (the thread of the first AddCallback, which
// must run a Qt event loop) and waits for it with a time limit.
//
// Thread contract: every function may be called on any thread; the registry lock is never held
// while a callback runs or while a worker waits. A call whose worker gave up waiting is
// dropped, not run late.
#include <QString>

#include <exception>
#include <functional>

namespace AfSafeSync {

constexpr int MaxEntries = 64;

// Returns the identifier, or 0 when all 64 entries are in use. The entry starts disabled.
int AddCallback(std::function<void()> handler);
bool RemoveCallback(int id);
bool EnableCallback(int id, bool enabled);
// Worker side: runs the entry's handler on the user-interface thread and waits at most
// timeoutMs. True when the entry is still there and enabled afterwards (a time-out is not
// reported); False at once for an unknown or disabled entry. Called on the user-interface
// thread itself, the handler runs directly.
bool CallOnMainThread(int id, int timeoutMs);
// Runs a routine on the user-interface thread, waiting at most timeoutMs (showing a worker's
// fault). False when it did not run.
bool RunOnMainThread(std::function<void()> routine, int timeoutMs);

// User-interface thread: waits until done() holds or timeoutMs passes (negative: no limit),
// running the calls that workers send meanwhile. done() is evaluated under an internal lock;
// whoever makes it true calls WakeWaiters().
bool WaitProcessingCalls(const std::function<bool()>& done, int timeoutMs);
void WakeWaiters();

bool IsMainThread();
int EntryCount();

} // namespace AfSafeSync

// How errors raised on the user-interface thread by a callback (or a worker's fault) are shown.
// The application installs its error box; the default writes to the Qt log.
void AfSetErrorDisplay(std::function<void(const QString& message)> display);
void AfShowError(std::exception_ptr error);
