#pragma once

#include <cstdint>
#include <functional>

namespace orvane {

// The platform's power status, in the units and special values the display logic expects.
struct PowerSnapshot {
    static constexpr std::int16_t kUnknown = 255;
    // acStatus
    static constexpr std::int16_t kOnBattery = 0;
    static constexpr std::int16_t kOnAc = 1;
    // batteryStatus: a level (none between high and low), plus kCharging; or one of the two
    // values from kNoBattery up, which have no level.
    static constexpr std::int16_t kHigh = 1;
    static constexpr std::int16_t kLow = 2;
    static constexpr std::int16_t kCritical = 4;
    static constexpr std::int16_t kCharging = 8;
    static constexpr std::int16_t kNoBattery = 128;
    static constexpr std::int32_t kNoTime = -1;

    std::int16_t acStatus = kUnknown;            // kOnBattery, kOnAc or kUnknown
    std::int16_t batteryStatus = kUnknown;       // see above
    std::int16_t batteryLifePercent = kUnknown;  // 0..100, 255 unknown
    std::int32_t batteryLifeTime = kNoTime;      // seconds, -1 unknown
    std::int32_t batteryFullTime = kNoTime;      // seconds, -1 unknown

    friend bool operator==(const PowerSnapshot& a, const PowerSnapshot& b) {
        return a.acStatus == b.acStatus && a.batteryStatus == b.batteryStatus &&
               a.batteryLifePercent == b.batteryLifePercent &&
               a.batteryLifeTime == b.batteryLifeTime && a.batteryFullTime == b.batteryFullTime;
    }
    friend bool operator!=(const PowerSnapshot& a, const PowerSnapshot& b) { return !(a == b); }
};

class PowerStatusSource {
public:
    virtual ~PowerStatusSource() = default;
    // The status as last known to the source; cheap, never blocks.
    virtual PowerSnapshot read() const = 0;
    // Called on the UI thread once for each real change of the snapshot.
    virtual void setChangeListener(std::function<void()> listener) = 0;
    // Reads the status afresh now, for a source that does not hear of every change by itself
    // ("Refresh Status"). The listener is not called: the caller handles the reading.
    virtual void refresh() {}
};

}  // namespace orvane
