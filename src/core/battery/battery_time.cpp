#include "core/battery/battery_time.h"

#include <limits>

#include "core/battery/decimal.h"
#include "core/store/settings_store.h"

namespace orvane {

namespace {
constexpr std::int16_t kMaxMinutes = std::numeric_limits<std::int16_t>::max();
}

std::int16_t EstimateBatteryTime(SettingsStore& store, const PowerSnapshot& power) {
    const Decimal data = parseDecimal(store.get(Setting::Data).toText()).value_or(Decimal(0));
    const std::int16_t count = store.get(Setting::Count).toInt16();
    if (count == 0 || data == 0) return -1;
    const Decimal minutes = roundHalfEven(data * power.batteryLifePercent);
    if (minutes > kMaxMinutes) return kMaxMinutes;
    // A negative figure (hand-edited data) is no estimate at all.
    if (minutes < 0) return -1;
    return static_cast<std::int16_t>(minutes.toInt64());
}

std::int16_t GetBatteryTime(SettingsStore& store, const PowerSnapshot& power) {
    if (power.batteryLifeTime == -1) return EstimateBatteryTime(store, power);
    const std::int32_t minutes = power.batteryLifeTime / 60;
    if (minutes > kMaxMinutes) return kMaxMinutes;
    if (minutes < 0) return -1;
    return static_cast<std::int16_t>(minutes);
}

}  // namespace orvane
