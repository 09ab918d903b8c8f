#pragma once

#include <cstdint>

namespace orvane {

class SettingsStore;

// Folds one observed discharge (drop percent points in elapsedMinutes) into the learnt
// minutes per percent point, "Data", weighted by "Count". Implausible observations are
// dropped; a drop or elapsed time that is not positive teaches nothing.
void RecordBatteryData(SettingsStore& store, std::int16_t drop, double elapsedMinutes);

// The elapsed minutes between the last display update (whole seconds since midnight) and
// now, across midnight if need be; 0 when there is no positive interval to learn from.
double ElapsedMinutesSince(std::int32_t lastUpdate, double nowSecondsSinceMidnight);

}  // namespace orvane
