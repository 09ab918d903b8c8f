#pragma once

#include "platform/clock.h"

namespace orvane {

// Local wall-clock time of day.
class SystemClock : public Clock {
public:
    double secondsSinceMidnight() const override;
};

}  // namespace orvane
