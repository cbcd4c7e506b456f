#include "platform/posix/PosixClock.h"

#include <sys/time.h>
#include <ctime>

namespace tastavia {

TimeOfDay PosixClock::LocalTime() {
    timeval now {};
    ::gettimeofday(&now, nullptr);
    std::tm local {};
    time_t seconds = now.tv_sec;
    ::localtime_r(&seconds, &local);
    return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000)};
}

}  // namespace tastavia
