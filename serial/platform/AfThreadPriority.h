#pragma once
#include "AfUtils.h"

#include <sys/types.h>

// The kernel id of the calling thread.
pid_t AfCurrentThreadId();
// Requests a priority for a thread. An ordinary user may not raise priorities on Linux; a
// refusal is quietly accepted and the thread keeps the priority it has. Returns whether the
// request was granted.
bool AfSetThreadPriority(pid_t tid, TThreadPriority priority);
