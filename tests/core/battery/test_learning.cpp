#include <gtest/gtest.h>

#include <cmath>

#include "core/battery/battery_time.h"
#include "core/battery/learning.h"
#include "fakes/logic_rig.h"

namespace orvane {
namespace {

using namespace orvane::test;

using S = Setting;

TEST(RecordBatteryData, WorkedExamplesAsStored) {
    const struct {
        const char* stored;
        int drop;
        double elapsed;
        const char* want;  // Data and Count
    } rows[] = {
        // clang-format off
        {"", 2, 5, "2.5 1"},                                                 // from nothing
        {"Data=0 Count=0", 3, 9, "3 1"},                                     // after a reset
        {"Data=1.8 Count=10", 1, 2.4, "1.854545454545454545454545455 11"},   // after the wizard
        {"Data=2 Count=50", 1, 7, "2 50"},                                   // deviation 2.5 > 2
        {"Data=2 Count=50", 1, 6, "2.078431372549019607843137255 51"},       // exactly 2 passes
        {"Data=2 Count=20000", 1, 2, "2 20001"}, {"Data=2 Count=19999", 1, 2, "2 20000"},
        {"Data=2 Count=20001", 1, 2, "2 20000"},                             // 20002 is capped
        {"Data=abc Count=7", 1, 4, "0.5 8"}, {"Data= Count=", 1, 4, "4 1"},  // Data 0, a weight
        {"Data=-3 Count=-4", 1, 4, "4 1"},                                   // nonsense starts afresh
        {"Data=2 Count=-4", 1, 4, "4 1"},                                    // a negative weight too
        {"Data=2.5 Count=40000", 1, 2.5, "2.5 20000"},                       // held to 16 bits
        // A drop faster than any battery's (30 points in a second) is a glitch of the
        // reading: nothing learnt. What such a glitch left is no learnt data: start afresh.
        {"", 30, 1.0 / 60, "<absent> <absent>"},
        {"Data=1.8 Count=10", 2, 0.0199, "1.8 10"},
        {"", 2, 0.02, "0.01 1"},                                             // 0.6 s a point passes
        {"Data=0.0001 Count=1", 1, 3, "3 1"}, {"Data=0.0099 Count=300", 1, 3, "3 1"},
        // No positive interval, or no drop, teaches nothing.
        {"Data=2 Count=5", 1, 0, "2 5"}, {"Data=2 Count=5", 1, -1, "2 5"},
        {"Data=2 Count=5", 1, std::nan(""), "2 5"}, {"Data=2 Count=5", 0, 5, "2 5"},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.stored);
        MemoryStores s;
        s.store.EnsureKeys();
        s.put(r.stored);
        RecordBatteryData(s.store, static_cast<std::int16_t>(r.drop), r.elapsed);
        EXPECT_EQ(s.get({S::Data, S::Count}), r.want);
        // The stored text reads back to itself: nothing is lost between runs.
        const std::string data = s.get({S::Data});
        if (data == "<absent>") continue;
        s.store.save(S::Data, s.store.get(S::Data).toText());
        EXPECT_EQ(s.get({S::Data}), data);
    }
}

TEST(BatteryTime, PlatformTimeFirstThenTheEstimateFromLearntData) {
    // seconds: the platform's time left, -1 when it has none.
    const struct {
        const char* stored;
        int percent, seconds, estimate, shown;
    } rows[] = {
        // clang-format off
        {"", 50, -1, -1, -1},                    // fresh install
        {"Data=0 Count=0", 50, -1, -1, -1},      // after a reset
        {"Data=0 Count=5", 50, -1, -1, -1},      {"Data=1.5 Count=0", 50, -1, -1, -1},
        {"Data=1.8 Count=10", 50, -1, 90, 90},   {"Data=1.8 Count=10", 85, -1, 153, 153},
        {"Data=2.5 Count=3", 45, -1, 112, 112},  // 112.5: the tie goes to the even neighbour
        {"Data=2.5 Count=3", 47, -1, 118, 118},  // 117.5
        {"Data=abc Count=3", 47, -1, -1, -1},    // not a number: no data
        {"Data=2.5 Count=", 47, -1, -1, -1},     {"Data=-2 Count=3", 50, -1, -1, -1},
        {"Data=1000 Count=3", 100, -1, 32767, 32767},  // held at the largest 16-bit figure
        {"Data=0.0000000000000000000000000001 Count=3", 100, -1, 0, 0},
        {"Data=1.8545454545454545454545454545 Count=11", 100, -1, 185, 185},  // all its digits
        {"Data=1.8 Count=10", 50, 7530, 90, 125}, {"Data=1.8 Count=10", 50, 59, 90, 0},
        {"Data=1.8 Count=10", 50, 40'000'000, 90, 32767},
        {"Data=1.8 Count=10", 50, -120, 90, -1},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.stored << " at " << r.percent << " %, " << r.seconds);
        MemoryStores s;
        s.put(r.stored);
        const PowerSnapshot p = discharging(r.percent, r.seconds);
        EXPECT_EQ(EstimateBatteryTime(s.store, p), r.estimate);
        EXPECT_EQ(GetBatteryTime(s.store, p), r.shown);
    }
    // A number placed by other means as a 32-bit value reads too.
    MemoryStores s;
    s.put("Count=3");
    s.user.setValue(std::string(keys::kSetting), "Data", RegValue{4, {2, 0, 0, 0}});
    EXPECT_EQ(EstimateBatteryTime(s.store, discharging(45)), 90);
}

// Midnight and whole days are the change handler's cases below; a stamp rounded ahead of now
// is no time at all, not a negative one.
TEST(ElapsedMinutes, NoneWhenTheRoundedStampLiesAheadOfNow) {
    EXPECT_EQ(ElapsedMinutesSince(36001, 36000.6, 0.3), 0.0);
}

TEST(TimeOfDayMeasuredTheInterval, NoSleepAndNoJumpOfTheWallClock) {
    const ClockReading from{36000, 1000, 1500};  // slept 500 s before: only sleep since counts
    const std::pair<ClockReading, bool> rows[] = {
        {{36600, 1600, 2100}, true},                // ten minutes awake
        {{36600, 1600, 2100.9}, true},              // the two running clocks read a moment apart
        {{36600, 1600, 2101}, true},                // ... a whole second at most
        {{36600, 1600, 2101.25}, false},            // more is a sleep, however short
        {{37500, 1600, 3000}, false},               // 15 minutes asleep in between
        {{36605, 1600, 2100}, true},                // whole-second stamps, a slewing clock
        {{40200, 1600, 2100}, false},               // summer time began
        {{32400, 1600, 2100}, false},               // ... or ended
        {{36540, 1600, 2100}, false},               // set back by a minute
        {{600, 1000 + 51000, 1500 + 51000}, true},  // across midnight
        {{36000, 999, 1499}, false},                // the awake clock went back: not the same boot
    };
    for (const auto& [to, sound] : rows)
        EXPECT_EQ(TimeOfDayMeasuredTheInterval(from, to), sound) << to.timeOfDay << " " << to.awake;
}

// The change handler's learning step, on a clock the test controls.
struct Handler : LogicRig {
    Handler(PowerSnapshot reading, double now) {
        power.snapshot = reading;
        clock.set(now);
        start();
    }
    void at(double now, const PowerSnapshot& p) {
        clock.set(now);
        power.change(p);
    }
};
TEST(ChangeHandler, LearnsFromEachDropOverTheWholeTimeTheChargeWasShown) {
    Handler h(discharging(85), 36000);
    h.at(36090, discharging(85, 5400));  // UPower revised its time: the interval goes on
    EXPECT_EQ(h.main.last.main.time, "1:30");
    h.at(36150, discharging(84));  // 2.5 minutes for one point, not one
    EXPECT_EQ(h.get({S::Data}), "2.5");
    EXPECT_EQ(h.main.last.main.status, "84% Remaining");
    h.at(36150 + 540, discharging(81));  // three points in nine minutes
    EXPECT_EQ(h.get({S::Data, S::Count}), "2.75 2");
    // Plugged in and out at the same charge: the interval starts again on battery.
    h.at(36750, charging(81));
    h.at(36810, discharging(81));
    h.at(36870, discharging(80));  // one point in one minute
    EXPECT_EQ(h.get({S::Data, S::Count}), "2.166666666666666666666666667 3");
}

// After the wizard (1.8 minutes a point, weight 10, tolerance 10 %) a 15-minute lid-close
// costing one point would pass as a plausible observation; it must not be one.
TEST(ChangeHandler, NothingLearntAcrossASleepOrAJumpOfTheWallClock) {
    Handler h(discharging(85), 36000);
    h.store.save({{Setting::Data, "1.8"}, {Setting::Count, "10"}});
    h.clock.advance(60);
    h.clock.sleep(15 * 60);
    h.power.change(discharging(84));
    EXPECT_EQ(h.get({S::Count}), "10");
    // The interval starts again at that update: one point in two minutes awake is learnt.
    h.at(h.clock.secondsSinceMidnight() + 120, discharging(83));
    EXPECT_EQ(h.get({S::Data, S::Count}), "1.818181818181818181818181818 11");

    // A sleep without a drop: the next update restarts the interval, so the sleep is not
    // counted with the next drop either.
    h.clock.advance(30);
    h.clock.sleep(3600);
    h.at(h.clock.secondsSinceMidnight() + 1, discharging(83, 6000));
    h.at(h.clock.secondsSinceMidnight() + 110, discharging(82));
    EXPECT_EQ(h.get({S::Count}), "12");

    // The wall clock put forward an hour inside an interval: nothing learnt.
    h.clock.advance(50);
    h.clock.jump(3600);
    h.at(h.clock.secondsSinceMidnight() + 50, discharging(81));
    EXPECT_EQ(h.get({S::Count}), "12");
}

// A fresh install whose first reading glitched (85 %, for a moment 55 %, then 85 % again):
// nothing learnt from it, nor on mains, nor from a rise; the first real drop is learnt as on any
// fresh install.
TEST(ChangeHandler, NothingLearntFromAGlitchOnMainsOrWithoutADrop) {
    Handler h(discharging(85), 36000);
    h.at(36000.4, discharging(55));
    h.at(36001, discharging(85));
    h.at(36100, charging(80));     // on mains however the percent moves
    h.at(36200, discharging(90));  // rose
    EXPECT_EQ(h.get({S::Count}), "<absent>");
    PowerSnapshot unknownAc = discharging(78);
    unknownAc.acStatus = 255;
    h.at(36320, unknownAc);  // an unknown power source counts as not on mains
    // The observation is a double: ten seconds a point, as its shortest text.
    EXPECT_EQ(h.get({S::Data, S::Count}), "0.16666666666666666 1");
    h.power.snapshot.batteryLifeTime = -1;  // UPower gives no time: the estimate shows
    h.c.updateDisplay();
    EXPECT_EQ(h.main.last.main.time, "0:13");
}

TEST(ChangeHandler, MidnightResetStampsAndDayLongIntervals) {
    // Stamped 0, in the first half second after midnight: an interval like any other.
    Handler first(discharging(85), 0.3);
    EXPECT_EQ(first.c.lastUpdate(), 0);
    first.at(120, discharging(84));
    EXPECT_EQ(first.get({S::Data}), "2");
    // A day less a second, awake all along: learnt, not taken for a stamp rounded ahead.
    Handler day(discharging(85), 1);
    day.at(86400.4, discharging(84));
    EXPECT_EQ(day.get({S::Data, S::Count}), "1439.99 1");

    Handler h(discharging(85), 86340);
    h.at(60, discharging(84));  // two minutes, across midnight
    EXPECT_EQ(h.get({S::Data}), "2");
    h.c.setLastUpdate(0);          // as after a reset of the learnt data: only the time is taken
    h.at(300.6, discharging(80));  // stamped 301
    EXPECT_EQ(h.get({S::Count}), "1");
    h.at(300.9, discharging(79));  // the stamp was rounded ahead of now: nothing to learn
    EXPECT_EQ(h.get({S::Count}), "1");
    EXPECT_EQ(h.main.last.main.status, "79% Remaining");
}

}  // namespace
}  // namespace orvane
