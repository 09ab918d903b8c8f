#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/linux/upower_mapping.h"

namespace orvane {
namespace {

constexpr std::int32_t kMaxSeconds = std::numeric_limits<std::int32_t>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A reachable daemon on battery with an 85 % discharging battery, 7530 s left, 100 Wh at 10 W.
UPowerFacts discharging(double percent = 85.0) {
    UPowerFacts f;
    f.reachable = true;
    f.onBattery = true;
    f.isPresent = true;
    f.type = 2;
    f.state = 2;
    f.percentage = percent;
    f.timeToEmpty = 7530;
    f.energyFull = 100.0;
    f.energyRate = 10.0;
    return f;
}

UPowerFacts charging(double percent) {
    UPowerFacts f = discharging(percent);
    f.onBattery = false;
    f.state = 1;
    return f;
}

template <typename Edit>
UPowerFacts with(UPowerFacts f, Edit edit) {
    edit(f);
    return f;
}

struct Case {
    std::string name;
    UPowerFacts facts;
    PowerSnapshot want;  // ac, status, percent, life time, full time
};

PowerSnapshot snap(std::int16_t ac, std::int16_t status, std::int16_t percent, std::int32_t life,
                   std::int32_t full) {
    return PowerSnapshot{ac, status, percent, life, full};
}

TEST(UPowerMapping, MapsFactsToSnapshot) {
    const std::vector<Case> cases = {
        {"unreachable hides everything", with(discharging(), [](auto& f) { f.reachable = false; }),
         snap(255, 255, 255, -1, -1)},
        {"nothing read yet", with(UPowerFacts{}, [](auto& f) { f.reachable = true; }),
         snap(255, 255, 255, -1, -1)},
        {"discharging", discharging(), snap(0, 1, 85, 7530, 36000)},
        {"charging on AC", charging(50.0), snap(1, 8, 50, -1, -1)},
        {"charging and critical", charging(3.0), snap(1, 12, 3, -1, -1)},
        {"fully charged", with(charging(100.0), [](auto& f) { f.state = 4; }),
         snap(1, 1, 100, -1, -1)},
        {"on battery unknown", with(discharging(), [](auto& f) { f.onBattery.reset(); }),
         snap(255, 1, 85, 7530, 36000)},

        {"not present", with(discharging(), [](auto& f) { f.isPresent = false; }),
         snap(0, 128, 255, -1, -1)},
        {"not a battery (UPS)", with(discharging(), [](auto& f) { f.type = 3; }),
         snap(0, 128, 255, -1, -1)},
        {"presence unknown", with(discharging(), [](auto& f) { f.isPresent.reset(); }),
         snap(0, 255, 255, -1, -1)},
        {"state unknown", with(discharging(), [](auto& f) { f.state = 0; }),
         snap(0, 255, 85, -1, -1)},
        {"state out of range", with(discharging(), [](auto& f) { f.state = 7; }),
         snap(0, 255, 85, -1, -1)},
        {"percent NaN", discharging(kNaN), snap(0, 255, 255, 7530, 36000)},
        {"percent infinite", discharging(kInf), snap(0, 255, 255, 7530, 36000)},
        {"percent above 100", discharging(100.5), snap(0, 255, 255, 7530, 36000)},
        {"percent missing", with(discharging(), [](auto& f) { f.percentage.reset(); }),
         snap(0, 255, 255, 7530, 36000)},

        {"time to empty zero", with(discharging(), [](auto& f) { f.timeToEmpty = 0; }),
         snap(0, 1, 85, -1, 36000)},
        {"time to empty negative", with(discharging(), [](auto& f) { f.timeToEmpty = -5; }),
         snap(0, 1, 85, -1, 36000)},
        {"time to empty beyond int32",
         with(discharging(), [](auto& f) { f.timeToEmpty = 1LL << 40; }),
         snap(0, 1, 85, kMaxSeconds, 36000)},
        {"rate zero", with(discharging(), [](auto& f) { f.energyRate = 0.0; }),
         snap(0, 1, 85, 7530, -1)},
        {"rate NaN", with(discharging(), [](auto& f) { f.energyRate = kNaN; }),
         snap(0, 1, 85, 7530, -1)},
        {"energy full infinite", with(discharging(), [](auto& f) { f.energyFull = kInf; }),
         snap(0, 1, 85, 7530, -1)},
        {"full time beyond int32", with(discharging(), [](auto& f) { f.energyRate = 1e-6; }),
         snap(0, 1, 85, 7530, kMaxSeconds)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PowerSnapshot got = mapUPowerFacts(c.facts);
        EXPECT_EQ(got.acStatus, c.want.acStatus);
        EXPECT_EQ(got.batteryStatus, c.want.batteryStatus);
        EXPECT_EQ(got.batteryLifePercent, c.want.batteryLifePercent);
        EXPECT_EQ(got.batteryLifeTime, c.want.batteryLifeTime);
        EXPECT_EQ(got.batteryFullTime, c.want.batteryFullTime);
    }
}

TEST(UPowerMapping, LevelFlagsFollowThePercentRoundedHalfToEven) {
    // percent in, rounded percent and level flag (while discharging) out
    const struct {
        double percent;
        int rounded;
        int flag;
    } cases[] = {
        {0.0, 0, 4},   {4.4, 4, 4},   {4.5, 4, 4},    {4.51, 5, 2},    {5.0, 5, 2},
        {32.5, 32, 2}, {32.6, 33, 0}, {33.0, 33, 0},  {66.0, 66, 0},   {66.5, 66, 0},
        {66.6, 67, 1}, {67.0, 67, 1}, {99.5, 100, 1}, {100.0, 100, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.percent);
        const PowerSnapshot got = mapUPowerFacts(discharging(c.percent));
        EXPECT_EQ(got.batteryLifePercent, c.rounded);
        EXPECT_EQ(got.batteryStatus, c.flag);
    }
}

}  // namespace
}  // namespace orvane
