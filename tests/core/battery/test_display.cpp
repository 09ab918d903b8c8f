#include <gtest/gtest.h>

#include "core/battery/display.h"

namespace orvane {
namespace {

TEST(ComposeDisplay, DecidesTextsKeysAndBarFromOneReading) {
    struct Row {
        std::int16_t ac, status, percent, minutes;
        const char *status_text, *key;
        int bar;
        const char *time, *power, *compact_status, *compact_time, *compact_power;
    };
    const Row rows[] = {
        {0, 1, 85, 125, "85% Remaining", "80S", 85, "2:05", "Battery", "85% ", "2:05", "Batt"},
        {0, 0, 50, 59, "50% Remaining", "50S", 50, "0:59", "Battery", "50% ", "0:59", "Batt"},
        {0, 4, 9, 600, "9% Remaining", "10S", 9, "10:00", "Battery", "9% R", "10:00", "Batt"},
        {0, 4, 0, -1, "0% Remaining", "10S", 0, "No Data", "Battery", "0% R", "N/A", "Batt"},
        {0, 2, 19, 30, "19% Remaining", "10S", 19, "0:30", "Battery", "19% ", "0:30", "Batt"},
        {0, 1, 100, 300, "100% Remaining", "100S", 100, "5:00", "Battery", "100%", "5:00", "Batt"},
        {1, 1, 100, 300, "100%", "ACS", 100, "5:00", "AC Power", "100%", "5:00", "AC"},
        {1, 9, 57, -1, "57% Charging", "ChargeS", 57, "No Data", "AC Power", "57% ", "N/A", "AC"},
        {1, 8, 100, -1, "100%", "ACS", 100, "No Data", "AC Power", "100%", "N/A", "AC"},
        {1, 128, 255, 50, "No Battery", "ACS", 0, "No Data", "AC Power", "N/A", "N/A", "AC"},
        {0, 128, 255, 50, "No Battery", "UnknownS", 0, "No Data", "Battery", "N/A", "N/A", "Batt"},
        {1, 255, 255, -1, "AC Power", "ACS", 0, "No Data", "AC Power", "AC P", "N/A", "AC"},
        {255, 255, 255, -1, "Unknown", "UnknownS", 0, "No Data", "Unknown", "Unkn", "N/A", "N/A"},
        // A battery whose percent is no percent is shown as a battery in an unknown state.
        {0, 1, 255, 40, "Unknown", "UnknownS", 0, "No Data", "Battery", "Unkn", "N/A", "Batt"},
        {0, 1, 101, 40, "Unknown", "UnknownS", 0, "No Data", "Battery", "Unkn", "N/A", "Batt"},
        {1, 1, 250, 40, "AC Power", "ACS", 0, "No Data", "AC Power", "AC P", "N/A", "AC"},
        {0, 2, -3, 40, "Unknown", "UnknownS", 0, "No Data", "Battery", "Unkn", "N/A", "Batt"},
        // Statuses compare as signed numbers: a negative one is below 8, discharging.
        {0, -1, 62, 90, "62% Remaining", "60S", 62, "1:30", "Battery", "62% ", "1:30", "Batt"},
        {0, -32768, 5, -1, "5% Remaining", "10S", 5, "No Data", "Battery", "5% R", "N/A", "Batt"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.status_text) + " status " + std::to_string(r.status));
        const DisplayUpdate d = ComposeDisplay({r.ac, r.status, r.percent, -1, -1}, r.minutes);
        EXPECT_EQ(d.main.status, r.status_text);
        EXPECT_EQ(d.smallKey, r.key);
        EXPECT_EQ(d.largeKey, std::string(r.key).substr(0, std::string(r.key).size() - 1) + "L");
        EXPECT_EQ(d.bar, r.bar);
        EXPECT_EQ(d.main.time, r.time);
        EXPECT_EQ(d.main.power, r.power);
        EXPECT_EQ(d.compact.status, r.compact_status);
        EXPECT_EQ(d.compact.time, r.compact_time);
        EXPECT_EQ(d.compact.power, r.compact_power);
        EXPECT_EQ(d.tip, "Status: " + d.main.status + " | Time: " + d.main.time +
                             " | Pwr: " + d.main.power);
    }
}

TEST(DisplayHelpers, TimeTextsAndReadBacks) {
    const std::pair<int, const char*> twoDigits[] = {{5, "05"}, {0, "00"}, {12, "12"}, {-5, "-5"}};
    for (const auto& [n, text] : twoDigits) EXPECT_EQ(FormatTwoDigits(n), text);
    EXPECT_EQ(TimeText(32767), "546:07");

    const std::pair<const char*, int> sources[] = {
        {"AC Power", 1}, {"Battery", 0}, {"Unknown", 255}, {"", 255}};
    for (const auto& [text, code] : sources) EXPECT_EQ(GetPowerSourceCode(text), code) << text;

    const std::pair<const char*, int> leading[] = {
        // clang-format off
        {"85% Remaining", 85}, {"100%", 100}, {"57% Charging", 57}, {"  9% Remaining", 9},
        {"No Battery", 0}, {"AC Power", 0}, {"", 0}, {"99999999999999999999%", 1000000},
        {"-99999999%", -1000000}, {"5000000%", 1000000}, {"2.5%", 2}, {"-5.5x", -6},
        // clang-format on
    };
    for (const auto& [text, n] : leading) EXPECT_EQ(LeadingNumber(text), n) << text;
}

TEST(DisplayHelpers, TipIsCutToWhatTheTrayShows) {
    const std::string longTip(80, 'x');
    EXPECT_EQ(CutTip(longTip).size(), kTipMaxChars);
    EXPECT_EQ(CutTip(std::string(63, 'y')), std::string(63, 'y'));
    // Characters, not bytes: a multi-byte character is never split.
    std::string accented;
    for (int i = 0; i < 70; ++i) accented += "\xC3\xA9";
    EXPECT_EQ(CutTip(accented).size(), 2 * kTipMaxChars);
}

}  // namespace
}  // namespace orvane
