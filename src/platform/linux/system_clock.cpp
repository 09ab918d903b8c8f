#include "platform/linux/system_clock.h"

#include <ctime>
#include <sys/time.h>

namespace orvane {

double SystemClock::secondsSinceMidnight() const {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_nsec / 1e9;
}

}  // namespace orvane
