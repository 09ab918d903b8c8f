#pragma once

#include <cstdint>
#include <optional>

#include "platform/power_status_source.h"

namespace orvane {

// What UPower told us, as plain values. An empty optional is a property we do not know
// (never read, missing, or of a type we cannot convert).
struct UPowerFacts {
    bool reachable = false;  // the daemon answers on the bus
    std::optional<bool> onBattery;
    // The display device (org.freedesktop.UPower.Device).
    std::optional<bool> isPresent;
    std::optional<std::uint32_t> type;   // 2 = battery
    std::optional<std::uint32_t> state;  // 0 unknown, 1 charging, 2 discharging, 3..6 others
    std::optional<double> percentage;
    std::optional<std::int64_t> timeToEmpty;  // seconds
    std::optional<double> energyFull;         // Wh
    std::optional<double> energyRate;         // W
};

PowerSnapshot mapUPowerFacts(const UPowerFacts& facts);

// True while the battery says it charges on battery power, or discharges on mains: the
// daemon signals the battery and the line power separately, and the other half is on its way.
bool halfwayThroughPowerSourceChange(const UPowerFacts& facts);

// Nearest whole number, halves to the even neighbour; the input must be finite.
double roundHalfToEven(double value);

}  // namespace orvane
