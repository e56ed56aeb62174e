#include "base/thread_priority.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstring>

namespace kalvenor {

namespace {

constexpr int kNiceAbove = -5;
constexpr int kNiceBelow = 10;

} // namespace

int threadPriority()
{
    errno = 0;
    // On Linux the process form of the call reads and sets the calling thread's niceness.
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (nice == -1 && errno != 0) return 0;
    return nice < 0 ? 1 : nice > 0 ? -1 : 0;
}

bool setThreadPriority(int level, std::string& reason)
{
    const int nice = level > 0 ? kNiceAbove : level < 0 ? kNiceBelow : 0;
    if (setpriority(PRIO_PROCESS, 0, nice) == 0) return true;
    const int error = errno;
    reason = std::strerror(error);
    // Taking the niceness down (a higher priority, or back to normal after a lower one) is a privilege.
    if (error == EPERM || error == EACCES)
        reason += " (raising the priority needs privileges: run as root or grant CAP_SYS_NICE)";
    return false;
}

} // namespace kalvenor
