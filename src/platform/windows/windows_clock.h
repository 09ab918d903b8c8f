#pragma once

#include "platform/clock.h"

namespace orvane {

// Local time from GetLocalTime; the awake clock leaves out sleep and hibernation
// (QueryUnbiasedInterruptTime), the one since boot takes them in (GetTickCount64).
class WindowsClock : public Clock {
public:
    double secondsSinceMidnight() const override;
    double awakeSeconds() const override;
    double sinceBootSeconds() const override;
};

}  // namespace orvane
