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

// No battery loses a point of charge faster than this (a whole charge in a minute): a
// quicker drop is a glitch of the reading (85 % for a moment 55 %), and learnt data below it
// can only have come from one.
inline constexpr double kLeastMinutesPerPoint = 0.01;

// Folds one observed discharge (drop percent points in elapsedMinutes) into the learnt
// minutes per percent point, "Data", weighted by "Count". Implausible observations are
// dropped; a drop or elapsed time that is not positive teaches nothing, and neither does a
// glitch. Learnt data that only a glitch can have left is none: the next observation starts
// afresh, where it would otherwise be refused for ever as implausible.
void RecordBatteryData(SettingsStore& store, std::int16_t drop, double elapsedMinutes);

// The elapsed minutes between the last display update (whole seconds since midnight) and
// now, across midnight if need be; 0 when there is no positive interval to learn from. The
// awake clock's measure of the same interval says how many midnights lie in between, which
// the time of day alone cannot (a day less one second looks like a stamp rounded ahead).
double ElapsedMinutesSince(std::int32_t lastUpdate, double nowSecondsSinceMidnight,
                           double awakeSeconds);

}  // namespace orvane
