#include "AfThreadPriority.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

pid_t AfCurrentThreadId()
{
    return pid_t(syscall(SYS_gettid));
}

bool AfSetThreadPriority(pid_t tid, TThreadPriority priority)
{
    sched_param param{};
    if (priority == tpTimeCritical) {
        // The lowest real-time level: above every ordinary thread, below the kernel's own.
        param.sched_priority = sched_get_priority_min(SCHED_FIFO);
        if (sched_setscheduler(tid, SCHED_FIFO, &param) == 0)
            return true;
    }
    if (priority == tpIdle) {
        param.sched_priority = 0;
        return sched_setscheduler(tid, SCHED_IDLE, &param) == 0;
    }
    param.sched_priority = 0;
    if (sched_getscheduler(tid) != SCHED_OTHER && sched_setscheduler(tid, SCHED_OTHER, &param) != 0)
        return false;
    // Nice levels relative to the process: normal - 2 ... normal + 2 (a lower nice is a higher
    // priority); time-critical without real-time rights asks for the highest of them.
    static const int offsets[] = {0, 2, 1, 0, -1, -2, -2};
    errno = 0;
    const int base = getpriority(PRIO_PROCESS, id_t(getpid()));
    if (errno != 0)
        return false;
    return setpriority(PRIO_PROCESS, id_t(tid), base + offsets[priority]) == 0;
}
