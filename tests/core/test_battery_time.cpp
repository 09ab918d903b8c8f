#include <gtest/gtest.h>

#include "battery/battery_time.h"
#include "fakes/fakes.h"
#include "shell/settings_store.h"

namespace orvane {
namespace {

using test::MemoryBackend;

struct Fixture {
    MemoryBackend user;
    MemoryBackend machine;
    SettingsStore store{user, machine};

    void learnt(const char* data, const char* count) {
        if (data) user.putText(std::string(keys::kSetting), "Data", data);
        if (count) user.putText(std::string(keys::kSetting), "Count", count);
    }
};

TEST(BatteryTime, EstimateFromLearntData) {
    struct Row {
        const char* data;
        const char* count;
        int percent;
        int want;
    };
    const Row rows[] = {
        {nullptr, nullptr, 50, -1},  // fresh install
        {"0", "0", 50, -1},          // after a reset
        {"0", "5", 50, -1},
        {"1.5", "0", 50, -1},
        {"1.8", "10", 50, 90},
        {"1.8", "10", 85, 153},
        {"2.5", "3", 45, 112},  // 112.5: the tie goes to the even neighbour
        {"2.5", "3", 47, 118},  // 117.5
        {"abc", "3", 47, -1},   // not a number: no data
        {"2.5", "", 47, -1},
        {"1000", "3", 100, 32767},  // does not fit 16 bits: held at the largest figure
        {"-2", "3", 50, -1},
        {"0.0000000000000000000000000001", "3", 100, 0},
    };
    for (const Row& r : rows) {
        Fixture f;
        f.learnt(r.data, r.count);
        PowerSnapshot p = test::discharging(r.percent);
        EXPECT_EQ(EstimateBatteryTime(f.store, p), r.want)
            << (r.data ? r.data : "-") << " x " << r.percent;
        EXPECT_EQ(GetBatteryTime(f.store, p), r.want);  // no platform time: the estimate
    }
}

TEST(BatteryTime, PlatformTimeWinsWhenThereIsOne) {
    Fixture f;
    f.learnt("1.8", "10");
    EXPECT_EQ(GetBatteryTime(f.store, test::discharging(50, 7530)), 125);
    EXPECT_EQ(GetBatteryTime(f.store, test::discharging(50, 59)), 0);
    EXPECT_EQ(GetBatteryTime(f.store, test::discharging(50, -1)), 90);
    EXPECT_EQ(GetBatteryTime(f.store, test::discharging(50, 40'000'000)), 32767);
    EXPECT_EQ(GetBatteryTime(f.store, test::discharging(50, -120)), -1);
}

TEST(BatteryTime, DataReadWithAllItsDigits) {
    Fixture f;
    f.learnt("1.8545454545454545454545454545", "11");
    EXPECT_EQ(EstimateBatteryTime(f.store, test::discharging(100)), 185);
    // A number placed by other means as a 32-bit value reads too.
    f.user.setValue(std::string(keys::kSetting), "Data", RegValue{4, {2, 0, 0, 0}});
    EXPECT_EQ(EstimateBatteryTime(f.store, test::discharging(45)), 90);
}

}  // namespace
}  // namespace orvane
