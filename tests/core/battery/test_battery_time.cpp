#include <gtest/gtest.h>

#include "core/battery/battery_time.h"
#include "fakes/logic_rig.h"

namespace orvane {
namespace {

void learnt(test::MemoryStores& s, const char* data, const char* count) {
    if (data) s.user.putText(std::string(keys::kSetting), "Data", data);
    if (count) s.user.putText(std::string(keys::kSetting), "Count", count);
}

TEST(BatteryTime, PlatformTimeFirstThenTheEstimateFromLearntData) {
    // seconds: the platform's time left, -1 when it has none.
    const struct {
        const char *data, *count;
        int percent, seconds, estimate, shown;
    } rows[] = {
        // clang-format off
        {nullptr, nullptr, 50, -1, -1, -1},  // fresh install
        {"0", "0", 50, -1, -1, -1},          // after a reset
        {"0", "5", 50, -1, -1, -1},           {"1.5", "0", 50, -1, -1, -1},
        {"1.8", "10", 50, -1, 90, 90},        {"1.8", "10", 85, -1, 153, 153},
        {"2.5", "3", 45, -1, 112, 112},       // 112.5: the tie goes to the even neighbour
        {"2.5", "3", 47, -1, 118, 118},       // 117.5
        {"abc", "3", 47, -1, -1, -1},         // not a number: no data
        {"2.5", "", 47, -1, -1, -1},          {"-2", "3", 50, -1, -1, -1},
        {"1000", "3", 100, -1, 32767, 32767}, // does not fit 16 bits: held at the largest figure
        {"0.0000000000000000000000000001", "3", 100, -1, 0, 0},
        {"1.8", "10", 50, 7530, 90, 125},     {"1.8", "10", 50, 59, 90, 0},
        {"1.8", "10", 50, 40'000'000, 90, 32767}, {"1.8", "10", 50, -120, 90, -1},
        // clang-format on
    };
    for (const auto& r : rows) {
        test::MemoryStores s;
        learnt(s, r.data, r.count);
        const PowerSnapshot p = test::discharging(r.percent, r.seconds);
        SCOPED_TRACE(testing::Message()
                     << (r.data ? r.data : "-") << "/" << (r.count ? r.count : "-") << " at "
                     << r.percent << " %, " << r.seconds << " s");
        EXPECT_EQ(EstimateBatteryTime(s.store, p), r.estimate);
        EXPECT_EQ(GetBatteryTime(s.store, p), r.shown);
    }
}

TEST(BatteryTime, DataReadWithAllItsDigits) {
    test::MemoryStores s;
    learnt(s, "1.8545454545454545454545454545", "11");
    EXPECT_EQ(EstimateBatteryTime(s.store, test::discharging(100)), 185);
    // A number placed by other means as a 32-bit value reads too.
    s.user.setValue(std::string(keys::kSetting), "Data", RegValue{4, {2, 0, 0, 0}});
    EXPECT_EQ(EstimateBatteryTime(s.store, test::discharging(45)), 90);
}

}  // namespace
}  // namespace orvane
