#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/sysfs_reader.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using Attrs = std::map<std::string, std::string>;
using Tree = std::map<std::string, Attrs>;  // device name -> attribute files

class FakeSysfs {
public:
    FakeSysfs() {
        std::string templ = (fs::temp_directory_path() / "orvane-sysfs.XXXXXX").string();
        root_ = ::mkdtemp(templ.data()) ? templ : std::string();
    }
    ~FakeSysfs() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::string& write(const Tree& tree) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(root_)) fs::remove_all(entry.path(), ec);
        for (const auto& [device, attrs] : tree) {
            fs::create_directories(fs::path(root_) / device);
            for (const auto& [name, value] : attrs)
                std::ofstream(fs::path(root_) / device / name) << value << "\n";
        }
        return root_;
    }

private:
    std::string root_;
};

const Attrs kAcOffline = {{"type", "Mains"}, {"online", "0"}};
const Attrs kAcOnline = {{"type", "Mains"}, {"online", "1"}};

Attrs battery(const std::string& status, Attrs extra) {
    extra["type"] = "Battery";
    extra["present"] = "1";
    extra["status"] = status;
    return extra;
}

TEST(SysfsReader, ReadsPowerSupplyTrees) {
    const Attrs bat85 = battery("Discharging", {{"capacity", "85"},
                                                {"energy_now", "51000000"},
                                                {"energy_full", "60000000"},
                                                {"power_now", "10000000"}});
    const struct {
        std::string name;
        Tree tree;
        PowerSnapshot want;
    } cases[] = {
        {"empty", {}, {255, 128, 255, -1, -1}},
        {"desktop with mains only", {{"AC", kAcOnline}}, {1, 128, 255, -1, -1}},
        {"discharging, energy", {{"AC", kAcOffline}, {"BAT0", bat85}}, {0, 1, 85, 18360, 21600}},
        {"no mains device, discharging", {{"BAT0", bat85}}, {0, 1, 85, 18360, 21600}},
        {"no mains device, full",
         {{"BAT0", battery("Full", {{"capacity", "100"}})}},
         {255, 1, 100, -1, -1}},
        {"charging",
         {{"AC", kAcOnline}, {"BAT0", battery("Charging", {{"capacity", "50"}})}},
         {1, 8, 50, -1, -1}},
        {"not charging on AC",
         {{"AC", kAcOnline}, {"BAT0", battery("Not charging", {{"capacity", "60"}})}},
         {1, 0, 60, -1, -1}},
        {"unknown status",
         {{"AC", kAcOnline}, {"BAT0", battery("Unknown", {{"capacity", "60"}})}},
         {1, 255, 60, -1, -1}},
        {"charge counters, negative current",
         {{"BAT0", battery("Discharging", {{"charge_now", "2000000"},
                                           {"charge_full", "4000000"},
                                           {"current_now", "-1000000"}})}},
         {0, 0, 50, 7200, 14400}},
        {"two batteries summed",
         {{"AC", kAcOffline},
          {"BAT0", battery("Discharging", {{"energy_now", "30000000"},
                                           {"energy_full", "50000000"},
                                           {"power_now", "10000000"}})},
          {"BAT1",
           battery("Unknown",
                   {{"energy_now", "10000000"}, {"energy_full", "50000000"}, {"power_now", "0"}})}},
         {0, 0, 40, 14400, 36000}},
        {"battery not present",
         {{"AC", kAcOffline}, {"BAT0", {{"type", "Battery"}, {"present", "0"}}}},
         {0, 128, 255, -1, -1}},
        {"peripheral battery ignored",
         {{"AC", kAcOnline},
          {"hid-mouse", battery("Discharging", {{"capacity", "20"}, {"scope", "Device"}})}},
         {1, 128, 255, -1, -1}},
        {"USB supply is not mains",
         {{"usb", {{"type", "USB"}, {"online", "1"}}}, {"BAT0", bat85}},
         {0, 1, 85, 18360, 21600}},
        {"garbage values",
         {{"AC", {{"type", "Mains"}, {"online", "yes"}}},
          {"BAT0", battery("Discharging", {{"capacity", "abc"},
                                           {"energy_now", ""},
                                           {"energy_full", "-3"},
                                           {"power_now", "9x"}})}},
         {0, 255, 255, -1, -1}},
        {"capacity out of range, energy used",
         {{"BAT0", battery("Discharging", {{"capacity", "250"},
                                           {"energy_now", "30000000"},
                                           {"energy_full", "60000000"}})}},
         {0, 0, 50, -1, -1}},
    };
    FakeSysfs sysfs;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PowerSnapshot got = readSysfsPowerSupply(sysfs.write(c.tree));
        EXPECT_EQ(got.acStatus, c.want.acStatus);
        EXPECT_EQ(got.batteryStatus, c.want.batteryStatus);
        EXPECT_EQ(got.batteryLifePercent, c.want.batteryLifePercent);
        EXPECT_EQ(got.batteryLifeTime, c.want.batteryLifeTime);
        EXPECT_EQ(got.batteryFullTime, c.want.batteryFullTime);
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
        {"no trailing NUL", "change@/x\0SUBSYSTEM=power_supply"s, true},
        {"other subsystem", "add@/devices/virtual/net/veth0\0ACTION=add\0SUBSYSTEM=net\0"s, false},
        {"value only mentions it", "change@/x\0DEVNAME=SUBSYSTEM=power_supply\0"s, false},
        {"udev rebroadcast header", "libudev\0SUBSYSTEM=power_supply\0"s, false},
        {"header only", "change@/devices/power_supply/BAT0"s, false},
        {"empty", ""s, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isPowerSupplyUevent(c.data.data(), c.data.size()), c.want) << c.name;
}

TEST(SysfsReader, ThrottlesRereadsToOnePerInterval) {
    using namespace std::chrono;
    using Clock = RereadThrottle::Clock;
    const Clock::time_point t0{};
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

}  // namespace
}  // namespace orvane
