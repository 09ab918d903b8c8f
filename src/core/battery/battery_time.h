#pragma once

#include <cstdint>

#include "platform/power_status_source.h"

namespace orvane {

class SettingsStore;

// The learnt remaining time in minutes ("Data" x percent), or -1 without learnt data.
std::int16_t EstimateBatteryTime(SettingsStore& store, const PowerSnapshot& power);
// The platform's remaining time in minutes, or the learnt estimate when it has none.
// Figures beyond 32767 minutes are held at 32767.
std::int16_t GetBatteryTime(SettingsStore& store, const PowerSnapshot& power);

}  // namespace orvane
