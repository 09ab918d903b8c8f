#pragma once

#include <cstdint>

namespace orvane {

class Clock;
class SettingsStore;

// The clocks, read together at one display update.
struct ClockReading {
    double timeOfDay = 0;  // seconds since midnight
    double awake = 0;      // stands still while the machine sleeps
    double sinceBoot = 0;  // runs on while it sleeps
};
ClockReading ReadClocks(const Clock& clock);

// Whether the time of day between two readings measured how long the battery ran: the machine
// did not sleep in between (a lid closed for 15 minutes would be taken for 15 minutes of use),
// and the wall clock did not jump (summer time, set by hand, stepped by NTP).
bool TimeOfDayMeasuredTheInterval(const ClockReading& from, const ClockReading& to);

// Folds one observed discharge (drop percent points in elapsedMinutes) into the learnt
// minutes per percent point, "Data", weighted by "Count". Implausible observations are
// dropped; a drop or elapsed time that is not positive teaches nothing.
void RecordBatteryData(SettingsStore& store, std::int16_t drop, double elapsedMinutes);

// The elapsed minutes between the last display update (whole seconds since midnight) and
// now, across midnight if need be; 0 when there is no positive interval to learn from.
double ElapsedMinutesSince(std::int32_t lastUpdate, double nowSecondsSinceMidnight);

}  // namespace orvane
