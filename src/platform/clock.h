#pragma once

namespace orvane {

class Clock {
public:
    virtual ~Clock() = default;
    // Local time of day in seconds since midnight, with its fraction (0 <= t < 86400).
    virtual double secondsSinceMidnight() const = 0;
    // Seconds on a clock that never jumps and stands still while the machine sleeps.
    virtual double awakeSeconds() const = 0;
    // Seconds on a clock that never jumps and runs on while the machine sleeps.
    virtual double sinceBootSeconds() const = 0;
};

}  // namespace orvane
