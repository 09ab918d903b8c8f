#include "platform/windows/windows_clock.h"

#include <windows.h>

namespace orvane {

double WindowsClock::secondsSinceMidnight() const {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

double WindowsClock::awakeSeconds() const {
    ULONGLONG hundredNs = 0;
    if (!QueryUnbiasedInterruptTime(&hundredNs)) return sinceBootSeconds();
    return static_cast<double>(hundredNs) / 1e7;
}

double WindowsClock::sinceBootSeconds() const {
    return static_cast<double>(GetTickCount64()) / 1000.0;
}

}  // namespace orvane
