#pragma once

#include "platform/clock.h"

namespace orvane {

// Local wall-clock time of day; CLOCK_MONOTONIC and CLOCK_BOOTTIME for the running clocks.
class SystemClock : public Clock {
public:
    double secondsSinceMidnight() const override;
    double awakeSeconds() const override;
    double sinceBootSeconds() const override;
};

}  // namespace orvane
