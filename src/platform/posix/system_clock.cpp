#include "platform/posix/system_clock.h"

#include <sys/time.h>
#include <ctime>

namespace orvane {

double SystemClock::secondsSinceMidnight() const {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_nsec / 1e9;
}

namespace {
double seconds(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}
}  // namespace

double SystemClock::awakeSeconds() const {
    return seconds(CLOCK_MONOTONIC);
}

double SystemClock::sinceBootSeconds() const {
    return seconds(CLOCK_BOOTTIME);
}

}  // namespace orvane
