#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

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

// One property's value as the bus carried it, its variants unwrapped: a number of one of the
// bus's types, or anything else (monostate), which makes the property unknown.
using UPowerValue = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double>;

// Applies one property of UPower itself (`manager`) or of its display device to the facts;
// a value that does not fit the property's type makes the property unknown.
void applyUPowerProperty(UPowerFacts& facts, bool manager, std::string_view name,
                         const UPowerValue& value);

// True while the battery says it charges on battery power, or discharges on mains: the
// daemon signals the battery and the line power separately, and the other half is on its way.
bool halfwayThroughPowerSourceChange(const UPowerFacts& facts);

// Nearest whole number, halves to the even neighbour; the input must be finite.
double roundHalfToEven(double value);

}  // namespace orvane
