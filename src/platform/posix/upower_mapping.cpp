#include "platform/posix/upower_mapping.h"

#include <cmath>
#include <limits>

namespace orvane {

namespace {

constexpr std::uint32_t kTypeBattery = 2;
constexpr std::uint32_t kStateUnknown = 0;
constexpr std::uint32_t kStateCharging = 1;
constexpr std::uint32_t kStateDischarging = 2;
constexpr std::uint32_t kStateLast = 6;  // pending discharge

std::int32_t clampSeconds(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return PowerSnapshot::kNoTime;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (seconds >= kMax) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::lround(seconds));
}

std::optional<int> wholePercent(const std::optional<double>& percentage) {
    if (!percentage || !std::isfinite(*percentage)) return std::nullopt;
    if (*percentage < 0.0 || *percentage > 100.0) return std::nullopt;
    return static_cast<int>(roundHalfToEven(*percentage));
}

std::optional<double> asDouble(const UPowerValue& v) {
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1.0 : 0.0;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (const auto* u = std::get_if<std::uint64_t>(&v)) return static_cast<double>(*u);
    return std::nullopt;
}

std::optional<bool> asBool(const UPowerValue& v) {
    if (const auto* b = std::get_if<bool>(&v)) return *b;
    const std::optional<double> d = asDouble(v);
    if (!d) return std::nullopt;
    return *d != 0.0;
}

// A whole number that T holds; a fractional one is rounded, as the daemon's doubles are.
template <typename T>
std::optional<T> asWhole(const UPowerValue& v) {
    constexpr auto kLow = std::numeric_limits<T>::min();
    constexpr auto kHigh = std::numeric_limits<T>::max();
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        if (*i < 0 ? *i < static_cast<std::int64_t>(kLow)
                   : static_cast<std::uint64_t>(*i) > static_cast<std::uint64_t>(kHigh))
            return std::nullopt;
        return static_cast<T>(*i);
    }
    if (const auto* u = std::get_if<std::uint64_t>(&v)) {
        if (*u > static_cast<std::uint64_t>(kHigh)) return std::nullopt;
        return static_cast<T>(*u);
    }
    const std::optional<double> d = asDouble(v);
    // 2^63 is the first double past the int64 range; every double below it converts.
    if (!d || !std::isfinite(*d) || *d < static_cast<double>(kLow) ||
        std::round(*d) >= static_cast<double>(kHigh) + 1.0)
        return std::nullopt;
    return static_cast<T>(std::llround(*d));
}

std::int16_t levelFlag(int percent) {
    if (percent < 5) return PowerSnapshot::kCritical;
    if (percent < 33) return PowerSnapshot::kLow;
    if (percent <= 66) return 0;
    return PowerSnapshot::kHigh;
}

}  // namespace

void applyUPowerProperty(UPowerFacts& f, bool manager, std::string_view name,
                         const UPowerValue& v) {
    if (manager) {
        if (name == "OnBattery") f.onBattery = asBool(v);
        return;
    }
    if (name == "IsPresent")
        f.isPresent = asBool(v);
    else if (name == "Type")
        f.type = asWhole<std::uint32_t>(v);
    else if (name == "State")
        f.state = asWhole<std::uint32_t>(v);
    else if (name == "Percentage")
        f.percentage = asDouble(v);
    else if (name == "TimeToEmpty")
        f.timeToEmpty = asWhole<std::int64_t>(v);
    else if (name == "EnergyFull")
        f.energyFull = asDouble(v);
    else if (name == "EnergyRate")
        f.energyRate = asDouble(v);
}

bool halfwayThroughPowerSourceChange(const UPowerFacts& f) {
    if (!f.reachable || !f.onBattery || !f.state) return false;
    return (*f.onBattery && *f.state == 1) || (!*f.onBattery && *f.state == 2);
}

double roundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) return below;
    if (fraction > 0.5) return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

PowerSnapshot mapUPowerFacts(const UPowerFacts& facts) {
    PowerSnapshot s;
    if (!facts.reachable) return s;

    if (facts.onBattery) s.acStatus = *facts.onBattery ? 0 : 1;

    // Without both facts we cannot tell "no battery" from "not read yet".
    if (!facts.isPresent || !facts.type) return s;
    if (!*facts.isPresent || *facts.type != kTypeBattery) {
        s.batteryStatus = PowerSnapshot::kNoBattery;
        return s;
    }

    const std::optional<int> percent = wholePercent(facts.percentage);
    if (percent) s.batteryLifePercent = static_cast<std::int16_t>(*percent);

    const bool stateKnown =
        facts.state && *facts.state != kStateUnknown && *facts.state <= kStateLast;
    if (stateKnown && percent) {
        s.batteryStatus = levelFlag(*percent);
        if (*facts.state == kStateCharging) s.batteryStatus += PowerSnapshot::kCharging;
    }

    if (facts.state && *facts.state == kStateDischarging) {
        if (facts.timeToEmpty && *facts.timeToEmpty > 0)
            s.batteryLifeTime = clampSeconds(static_cast<double>(*facts.timeToEmpty));
        if (facts.energyFull && facts.energyRate && *facts.energyFull > 0 && *facts.energyRate > 0)
            s.batteryFullTime = clampSeconds(*facts.energyFull / *facts.energyRate * 3600.0);
    }
    return s;
}

}  // namespace orvane
