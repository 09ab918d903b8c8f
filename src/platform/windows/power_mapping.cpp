#include "platform/windows/power_mapping.h"

#include <cstdint>
#include <limits>

namespace orvane {
namespace {

std::int32_t seconds(DWORD value) {
    return value > static_cast<DWORD>(std::numeric_limits<std::int32_t>::max())
               ? PowerSnapshot::kNoTime
               : static_cast<std::int32_t>(value);
}

}  // namespace

PowerSnapshot snapshotFrom(const SYSTEM_POWER_STATUS& status) {
    PowerSnapshot s;
    s.acStatus = status.ACLineStatus <= 1 ? status.ACLineStatus : PowerSnapshot::kUnknown;
    // Flags 1, 2, 4, 8 and 128 combine; 255 alone means unknown.
    s.batteryStatus = status.BatteryFlag;
    s.batteryLifePercent =
        status.BatteryLifePercent <= 100 ? status.BatteryLifePercent : PowerSnapshot::kUnknown;
    s.batteryLifeTime = seconds(status.BatteryLifeTime);
    s.batteryFullTime = seconds(status.BatteryFullLifeTime);
    return s;
}

}  // namespace orvane
