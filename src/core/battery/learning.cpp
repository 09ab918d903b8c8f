#include "core/battery/learning.h"

#include <charconv>
#include <cmath>
#include <string>

#include "core/battery/decimal.h"
#include "core/store/settings_store.h"
#include "platform/clock.h"

namespace orvane {

namespace {

constexpr int kCountCap = 20000;
constexpr double kDay = 86400.0;
// The boot clock gains on the awake clock only while the machine sleeps.
constexpr double kSleepSeconds = 1.0;
// Stamps are whole seconds, and NTP slews the clock far slower than this.
constexpr double kJumpSeconds = 5.0;

// A double's shortest exact text, so 2.4 enters the decimal sum as 2.4, not as its binary
// neighbour 2.39999999999999991...
Decimal toDecimal(double v) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) return Decimal(0);
    return parseDecimal(std::string_view(buf, static_cast<std::size_t>(end - buf)))
        .value_or(Decimal(0));
}

}  // namespace

ClockReading ReadClocks(const Clock& clock) {
    return {clock.secondsSinceMidnight(), clock.awakeSeconds(), clock.sinceBootSeconds()};
}

bool TimeOfDayMeasuredTheInterval(const ClockReading& from, const ClockReading& to) {
    const double awake = to.awake - from.awake;
    const double slept = (to.sinceBoot - to.awake) - (from.sinceBoot - from.awake);
    if (!(awake >= 0) || !(slept <= kSleepSeconds)) return false;
    double wall = to.timeOfDay - from.timeOfDay;
    if (wall < 0) wall += kDay;  // past midnight
    return std::fabs(wall - awake) <= kJumpSeconds;
}

double ElapsedMinutesSince(std::int32_t lastUpdate, double now, double awakeSeconds) {
    double seconds = now - lastUpdate;
    // As many whole days as bring it nearest the awake clock: one past midnight, none where
    // the rounded stamp lies half a second ahead of now.
    if (std::isfinite(awakeSeconds)) seconds += kDay * std::round((awakeSeconds - seconds) / kDay);
    return seconds > 0 ? seconds / 60.0 : 0.0;
}

void RecordBatteryData(SettingsStore& store, std::int16_t drop, double elapsedMinutes) {
    if (drop <= 0 || !(elapsedMinutes > 0) || !std::isfinite(elapsedMinutes)) return;

    std::optional<Decimal> storedData = parseDecimal(store.get(Setting::Data).toText());
    std::int32_t count = store.get(Setting::Count).toInt16();
    Decimal data = storedData.value_or(Decimal(0));
    if (elapsedMinutes / drop < kLeastMinutesPerPoint) return;
    // Hand-edited nonsense (a negative average or weight), or what a glitch left, is no learnt
    // data: start afresh.
    if (data < 0 || count < 0 || (data > 0 && data < toDecimal(kLeastMinutesPerPoint))) {
        data = 0;
        count = 0;
    }

    const Decimal observation = toDecimal(elapsedMinutes / drop);
    if (count > 0 && data > 0) {
        const Decimal deviation = abs(observation - data) / data;
        const Decimal tolerance = Decimal(100) / count;
        if (deviation > tolerance) return;
    }
    const Decimal average = (data * count + observation) / (count + 1);
    // The weight stops growing at the cap, so a new observation never counts for less
    // than 1/20002. Both values go in one commit: a reader never sees one without the other.
    const std::int32_t newCount = count > kCountCap ? kCountCap : count + 1;
    store.save(
        {{Setting::Data, formatDecimal(average)}, {Setting::Count, std::to_string(newCount)}});
}

}  // namespace orvane
