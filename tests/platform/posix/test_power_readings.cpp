// What the daemon's facts and the sysfs power_supply files become as one power snapshot.
#include <gtest/gtest.h>

#include <limits>

#include "fakes/fakes.h"
#include "platform/posix/sysfs_reader.h"
#include "platform/posix/upower_mapping.h"
#include "support/test_support.h"

namespace orvane {

namespace {

namespace fs = std::filesystem;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// On battery, an 85 % discharging battery with 7530 s left, 100 Wh at 10 W; then the edit.
UPowerFacts facts(void (*edit)(UPowerFacts&) = nullptr) {
    UPowerFacts f{true, true, true, 2u, 2u, 85.0, 7530, 100.0, 10.0};
    if (edit) edit(f);
    return f;
}

TEST(UPowerMapping, MapsFactsToSnapshot) {
    using F = UPowerFacts;
    // On mains, in the given state and charge.
    static const auto mains = [](F& f, std::uint32_t state, double percent) {
        f.onBattery = false;
        f.state = state;
        f.percentage = percent;
    };
    const struct {
        const char* name;
        void (*edit)(UPowerFacts&);
        PowerSnapshot want;
    } cases[] = {
        // clang-format off
        {"unreachable hides all", [](F& f) { f.reachable = false; }, {255, 255, 255, -1, -1}},
        {"nothing read yet", [](F& f) { f = F{}; f.reachable = true; }, {255, 255, 255, -1, -1}},
        {"discharging", nullptr, {0, 1, 85, 7530, 36000}},
        {"charging on AC", [](F& f) { mains(f, 1, 50.0); }, {1, 8, 50, -1, -1}},
        {"charging and critical", [](F& f) { mains(f, 1, 3.0); }, {1, 12, 3, -1, -1}},
        {"fully charged", [](F& f) { mains(f, 4, 100.0); }, {1, 1, 100, -1, -1}},
        {"on battery unknown", [](F& f) { f.onBattery.reset(); }, {255, 1, 85, 7530, 36000}},
        {"not present", [](F& f) { f.isPresent = false; }, {0, 128, 255, -1, -1}},
        {"not a battery (UPS)", [](F& f) { f.type = 3; }, {0, 128, 255, -1, -1}},
        {"presence unknown", [](F& f) { f.isPresent.reset(); }, {0, 255, 255, -1, -1}},
        {"state unknown", [](F& f) { f.state = 0; }, {0, 255, 85, -1, -1}},
        {"state out of range", [](F& f) { f.state = 7; }, {0, 255, 85, -1, -1}},
        {"percent NaN", [](F& f) { f.percentage = kNaN; }, {0, 255, 255, 7530, 36000}},
        {"percent infinite", [](F& f) { f.percentage = kInf; }, {0, 255, 255, 7530, 36000}},
        {"percent above 100", [](F& f) { f.percentage = 100.5; }, {0, 255, 255, 7530, 36000}},
        {"percent missing", [](F& f) { f.percentage.reset(); }, {0, 255, 255, 7530, 36000}},
        {"time to empty zero", [](F& f) { f.timeToEmpty = 0; }, {0, 1, 85, -1, 36000}},
        {"time to empty negative", [](F& f) { f.timeToEmpty = -5; }, {0, 1, 85, -1, 36000}},
        {"time to empty > int32", [](F& f) { f.timeToEmpty = 1LL << 40; }, {0, 1, 85, kMax, 36000}},
        {"rate zero", [](F& f) { f.energyRate = 0.0; }, {0, 1, 85, 7530, -1}},
        {"rate NaN", [](F& f) { f.energyRate = kNaN; }, {0, 1, 85, 7530, -1}},
        {"energy full infinite", [](F& f) { f.energyFull = kInf; }, {0, 1, 85, 7530, -1}},
        {"full time beyond int32", [](F& f) { f.energyRate = 1e-6; }, {0, 1, 85, 7530, kMax}},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(mapUPowerFacts(facts(c.edit)), c.want) << c.name;

    // The level flag while discharging follows the percent rounded half to even.
    const struct {
        double percent;
        std::int16_t rounded, flag;
    } levels[] = {
        {0.0, 0, 4},   {4.4, 4, 4},   {4.5, 4, 4},    {4.51, 5, 2},    {5.0, 5, 2},
        {32.5, 32, 2}, {32.6, 33, 0}, {33.0, 33, 0},  {66.0, 66, 0},   {66.5, 66, 0},
        {66.6, 67, 1}, {67.0, 67, 1}, {99.5, 100, 1}, {100.0, 100, 1},
    };
    for (const auto& c : levels) {
        UPowerFacts f = facts();
        f.percentage = c.percent;
        EXPECT_EQ(mapUPowerFacts(f), (PowerSnapshot{0, c.flag, c.rounded, 7530, 36000}))
            << c.percent;
    }
}

TEST(UPowerMapping, EachPropertyTakesTheBusTypesThatFitIt) {
    using V = UPowerValue;
    using Whole = std::optional<std::uint32_t>;
    using Time = std::optional<std::int64_t>;
    constexpr std::uint64_t kU32 = std::numeric_limits<std::uint32_t>::max();
    // State and Type, then TimeToEmpty: whole numbers from any integer type that fits, doubles
    // rounded; the rest is unknown.
    const std::tuple<V, Whole, Time> rows[] = {
        // clang-format off
        {V(std::int64_t{2}), 2u, 2}, {V(std::uint64_t{6}), 6u, 6}, {true, 1u, 1}, {false, 0u, 0},
        {2.6, 3u, 3}, {-0.6, {}, -1}, {double(kU32), kU32, kU32}, {4294967295.5, {}, 4294967296},
        {V(std::int64_t{-5}), {}, -5}, {V(kU32 + 1), {}, kU32 + 1}, {V(kU32 << 32), {}, {}},
        {9.2e18, {}, 9200000000000000000}, {9.3e18, {}, {}}, {-9.3e18, {}, {}}, {kNaN, {}, {}},
        {kInf, {}, {}}, {V(), {}, {}},
        // clang-format on
    };
    for (const auto& [value, whole, time] : rows) {
        UPowerFacts f = facts();
        for (const char* name : {"State", "Type", "TimeToEmpty"})
            applyUPowerProperty(f, false, name, value);
        EXPECT_EQ(std::make_tuple(f.state, f.type, f.timeToEmpty),
                  std::make_tuple(whole, whole, time))
            << value.index();
    }
    // Any number is a double, and a truth value (non-zero); only OnBattery is UPower's own.
    UPowerFacts f = facts();
    for (const char* name : {"Percentage", "EnergyFull", "EnergyRate"})
        applyUPowerProperty(f, false, name, V(std::int64_t{-3}));
    applyUPowerProperty(f, false, "IsPresent", 0.5);
    applyUPowerProperty(f, true, "Percentage", 7.0);
    applyUPowerProperty(f, false, "OnBattery", V(std::uint64_t{0}));
    EXPECT_EQ(std::make_tuple(f.percentage, f.energyFull, f.energyRate, f.isPresent, f.onBattery),
              std::make_tuple(-3.0, -3.0, -3.0, true, true));
    applyUPowerProperty(f, true, "OnBattery", V(std::uint64_t{0}));
    applyUPowerProperty(f, false, "Percentage", V());
    EXPECT_EQ(std::make_tuple(f.onBattery, f.percentage),
              std::make_tuple(std::optional<bool>(false), std::optional<double>()));
}

using Attrs = std::map<std::string, std::string>;

// "name=value ..." as a device's attribute files.
Attrs attrs(const std::string& text) {
    const auto pairs = test::pairsOf(text);
    return {pairs.begin(), pairs.end()};
}

Attrs battery(const std::string& status, const std::string& extra) {
    Attrs a = attrs("type=Battery present=1 " + extra);
    a["status"] = status;
    return a;
}

TEST(SysfsReader, ReadsPowerSupplyTrees) {
    const Attrs acOff = attrs("type=Mains online=0"), acOn = attrs("type=Mains online=1");
    const Attrs bat85 = battery(
        "Discharging", "capacity=85 energy_now=51000000 energy_full=60000000 power_now=10000000");
    const struct {
        std::string name;
        std::map<std::string, Attrs> tree;  // device folder -> attribute files
        PowerSnapshot want;
    } cases[] = {
        // clang-format off
        {"empty", {}, {255, 128, 255, -1, -1}},
        {"desktop with mains only", {{"AC", acOn}}, {1, 128, 255, -1, -1}},
        {"discharging, energy", {{"AC", acOff}, {"BAT0", bat85}}, {0, 1, 85, 18360, 21600}},
        {"no mains device, discharging", {{"BAT0", bat85}}, {0, 1, 85, 18360, 21600}},
        {"no mains, full", {{"BAT0", battery("Full", "capacity=100")}}, {255, 1, 100, -1, -1}},
        {"charging", {{"AC", acOn}, {"BAT0", battery("Charging", "capacity=50")}},
         {1, 8, 50, -1, -1}},
        {"not charging on AC", {{"AC", acOn}, {"BAT0", battery("Not charging", "capacity=60")}},
         {1, 0, 60, -1, -1}},
        {"unknown status", {{"AC", acOn}, {"BAT0", battery("Unknown", "capacity=60")}},
         {1, 255, 60, -1, -1}},
        {"charge counters, negative current", {{"BAT0", battery("Discharging",
         "charge_now=2000000 charge_full=4000000 current_now=-1000000")}}, {0, 0, 50, 7200, 14400}},
        {"two batteries summed", {{"AC", acOff},
         {"BAT0", battery("Discharging",
                          "energy_now=30000000 energy_full=50000000 power_now=10000000")},
         {"BAT1", battery("Unknown", "energy_now=10000000 energy_full=50000000 power_now=0")}},
         {0, 0, 40, 14400, 36000}},
        {"battery not present", {{"AC", acOff}, {"BAT0", attrs("type=Battery present=0")}},
         {0, 128, 255, -1, -1}},
        {"peripheral battery ignored", {{"AC", acOn},
         {"hid-mouse", battery("Discharging", "capacity=20 scope=Device")}}, {1, 128, 255, -1, -1}},
        {"USB-C supply feeding the system", {{"ucsi", attrs("type=USB online=1")}, {"BAT0", bat85}},
         {1, 1, 85, 18360, 21600}},
        {"USB device port is not mains",
         {{"usb", attrs("type=USB online=1 scope=Device")}, {"BAT0", bat85}},
         {0, 1, 85, 18360, 21600}},
        {"garbage values", {{"AC", attrs("type=Mains online=yes")}, {"BAT0", battery("Discharging",
         "capacity=abc energy_now= energy_full=-3 power_now=9x")}}, {0, 255, 255, -1, -1}},
        {"capacity out of range, energy used", {{"BAT0", battery("Discharging",
         "capacity=250 energy_now=30000000 energy_full=60000000")}}, {0, 0, 50, -1, -1}},
        // clang-format on
    };
    const test::TempDir dir;
    const std::string& root = dir.path();
    for (const auto& c : cases) {
        for (const auto& entry : fs::directory_iterator(root)) fs::remove_all(entry.path());
        for (const auto& [device, attrs] : c.tree) test::writePowerSupply(root, device, attrs);
        EXPECT_EQ(readSysfsPowerSupply(root), c.want) << c.name;
    }
    EXPECT_EQ(readSysfsPowerSupply("/nonexistent/power_supply"),
              (PowerSnapshot{255, 128, 255, -1, -1}));
}

TEST(SysfsReader, RecognisesPowerSupplyUevents) {
    using namespace std::string_literals;
    const struct {
        std::string name, data;
        bool want;
    } cases[] = {
        {"battery change",
         "change@/devices/LNXSYSTM:00/PNP0C0A:00/power_supply/BAT0\0ACTION=change\0"
         "DEVPATH=/devices/LNXSYSTM:00/PNP0C0A:00/power_supply/BAT0\0SUBSYSTEM=power_supply\0"
         "POWER_SUPPLY_NAME=BAT0\0"s,
         true},
        // clang-format off
        {"no trailing NUL", "change@/x\0SUBSYSTEM=power_supply"s, true}, {"empty", ""s, false},
        {"other subsystem", "add@/devices/virtual/net/veth0\0ACTION=add\0SUBSYSTEM=net\0"s, false},
        {"value only mentions it", "change@/x\0DEVNAME=SUBSYSTEM=power_supply\0"s, false},
        {"udev rebroadcast header", "libudev\0SUBSYSTEM=power_supply\0"s, false},
        {"header only", "change@/devices/power_supply/BAT0"s, false},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(isPowerSupplyUevent(c.data.data(), c.data.size()), c.want) << c.name;
}

TEST(SysfsReader, ThrottlesRereadsToOnePerMinute) {
    using namespace std::chrono;
    const RereadThrottle::Clock::time_point t0{};
    RereadThrottle throttle(minutes(1));
    throttle.readDone(t0);

    // A burst soon after a read: one re-read at read + 60 s, the rest are absorbed.
    EXPECT_EQ(throttle.onEvent(t0 + seconds(10)), milliseconds(50000));
    EXPECT_EQ(throttle.onEvent(t0 + seconds(20)), std::nullopt);
    EXPECT_EQ(throttle.onEvent(t0 + seconds(59)), std::nullopt);
    throttle.readDone(t0 + seconds(60));

    // Long after the last read: at once, once.
    EXPECT_EQ(throttle.onEvent(t0 + seconds(200)), milliseconds(0));
    EXPECT_EQ(throttle.onEvent(t0 + seconds(200)), std::nullopt);
    throttle.readDone(t0 + seconds(200));
    EXPECT_EQ(throttle.onEvent(t0 + seconds(260)), milliseconds(0));
}

TEST(UPowerMapping, HalfwayThroughAPowerSourceChange) {
    // Charging with line power not yet signalled, or discharging with the unplug not yet
    // signalled; nothing else, and nothing from a daemon out of reach.
    const std::tuple<bool, std::optional<bool>, std::optional<std::uint32_t>, bool> rows[] = {
        // clang-format off
        {true, true, 1, true}, {true, false, 2, true}, {true, true, 2, false},
        {true, false, 1, false}, {true, false, 4, false}, {true, true, 4, false},
        {true, std::nullopt, 1, false}, {true, true, std::nullopt, false}, {false, true, 1, false},
        // clang-format on
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        UPowerFacts f;
        std::tie(f.reachable, f.onBattery, f.state, std::ignore) = rows[i];
        EXPECT_EQ(halfwayThroughPowerSourceChange(f), std::get<3>(rows[i])) << "row " << i;
    }
}

}  // namespace
}  // namespace orvane
