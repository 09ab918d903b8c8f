#include <gtest/gtest.h>

#include "fakes/logic_rig.h"
#include "support/test_support.h"

namespace orvane {
namespace {

using namespace orvane::test;

const std::string kS(keys::kSetting);

// The program's logic with scripted power readings and recorded message boxes; alarms are
// driven the way the program drives them, through the change handler.
struct Rig : MemoryStores, LogicRig {
    // settings: "Name=value ..." under the Setting key.
    Rig(PowerSnapshot start, const std::string& settings) : LogicRig(store) {
        user.putText(kS, "First Use", "1");
        for (const auto& [name, value] : pairsOf(settings)) user.putText(kS, name, value);
        power.snapshot = start;
        followPower();
        EXPECT_TRUE(c.startUp());
        EXPECT_TRUE(messages.shown.empty()) << "no alarm message at start-up";
    }
    // The first line of each message shown since the last call.
    std::vector<std::string> take() {
        std::vector<std::string> heads;
        for (const auto& m : messages.shown) heads.push_back(m.text.substr(0, m.text.find('\r')));
        messages.shown.clear();
        return heads;
    }
    void step(const PowerSnapshot& p) {
        clock.advance(60);
        power.change(p);
    }
};

using Heads = std::vector<std::string>;

TEST(Alarms, EachReadingShowsWhatItsThresholdsCallFor) {
    const Heads none, low{"Low battery."}, critical{"Critical battery."};
    const Heads lowTime{"Low battery time."}, criticalTime{"Critical battery time."};
    const Heads source{"Power source change detected."}, full{"Battery is now fully charged."};
    const PowerSnapshot full100{1, 9, 100, -1, 100};  // charging(100), another change while full
    const struct {
        const char* name;
        PowerSnapshot start;
        const char* settings;
        std::vector<std::pair<PowerSnapshot, Heads>> steps;  // a reading and the messages it shows
    } cases[] = {
        // clang-format off
        // One step below both thresholds (e.g. after a resume); later still low, no longer
        // critical: the low one was never shown. Equality holds.
        {"percent pair gives way to the critical one", discharging(50),
         "LowBatt=1 LowBattVal=20 CriticalBatt=1 CriticalBattVal=10",
         {{discharging(5), critical}, {discharging(4), none}, {discharging(15), low},
          {discharging(14), none}, {charging(30), none}, {discharging(20), low}}},
        {"switched-off critical silences the low one too", discharging(50),
         "LowBatt=1 LowBattVal=20 CriticalBatt=0 CriticalBattVal=10 LowBattTime=1 "
         "LowBattTimeVal=60 CriticalBattTimeVal=30", {{discharging(5, 20 * 60), none}}},
        // No platform time and no learnt data is no figure; nor is zero minutes.
        {"time pair and times without a figure", discharging(80, 3 * 3600),
         "LowBattTime=1 LowBattTimeVal=30 CriticalBattTime=1 CriticalBattTimeVal=10",
         {{discharging(79, -1), none}, {discharging(78, 0), none}, {discharging(77, 59), none},
          {discharging(60, 25 * 60), lowTime}, {discharging(40, 10 * 60), criticalTime}}},
        // 255 is above any percent threshold, and is not a full battery; an absent threshold
        // counts as 0, and a time alarm then never holds.
        {"unknown percent and absent thresholds", discharging(50),
         "LowBatt=1 CriticalBatt=1 CriticalBattVal=100 BatteryFullyCharged=1 LowBattTime=1",
         {{{0, 0, 255, -1, -1}, none}, {discharging(1, 60), critical}, {discharging(0, 60), none}}},
        {"thresholds that are not numbers read as zero", discharging(50),
         "LowBatt=yes LowBattVal=abc CriticalBatt=1 CriticalBattVal=",
         {{discharging(1), none}, {discharging(0), critical}}},
        // A change while the source stays unknown; then "Unknown" shown and now mains.
        {"power source change compares with what is shown", PowerSnapshot{}, "PowerSourceChange=1",
         {{{255, 255, 255, 60, -1}, none}, {charging(50), source}, {charging(51), none},
          {discharging(51), source}}},
        {"full charge once while the display still shows less", charging(99),
         "BatteryFullyCharged=1",
         {{charging(100), full}, {full100, none}, {charging(98), none}, {charging(100), full}}},
        // Full already when the program starts: 100 is shown from the first update on.
        {"full at start", charging(100), "BatteryFullyCharged=1", {{full100, none}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        Rig r(c.start, c.settings);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            r.step(c.steps[i].first);
            EXPECT_EQ(r.take(), c.steps[i].second) << c.name << ", step " << i + 1;
        }
    }
}

TEST(Alarms, MessageQuotesTheStatusAsNowShown) {
    Rig r(discharging(50, 3600), "LowBatt=1 LowBattVal=10");
    r.step(discharging(9, 25 * 60));
    ASSERT_EQ(r.messages.shown.size(), 1u);
    const MessageRequest& m = r.messages.shown[0];
    EXPECT_EQ(m.text,
              "Low battery.\r\rYou should change to a new battery of switch to outlet power to "
              "prevent data lost."
              "\r\rCurrent status: \r  Status: 9% Remaining\r  Battery Time: 0:25\r  Power Source: "
              "Battery");
    EXPECT_EQ(std::make_tuple(m.title, m.icon, m.buttons),
              std::make_tuple("Orvane", MsgIcon::Information, MsgButtons::Ok));
    EXPECT_EQ(FormatStatusText({}), "  Status: \r  Battery Time: \r  Power Source: ");
}

TEST(Alarms, ChangeDuringAnOpenMessageWaitsForItToClose) {
    Rig r(discharging(50), "LowBatt=1 LowBattVal=40 CriticalBatt=1 CriticalBattVal=20");
    std::vector<std::string> shownWhileOpen;
    int depth = 0;
    r.messages.onShow = [&](const MessageRequest&) {
        ++depth;
        EXPECT_EQ(depth, 1) << "a second box opened inside the first";
        shownWhileOpen.push_back(r.c.shownTexts().status);
        if (shownWhileOpen.size() == 1) r.step(discharging(15));  // arrives while the box is open
        --depth;
    };
    r.step(discharging(35));
    EXPECT_EQ(r.take(), (Heads{"Low battery.", "Critical battery."}));
    EXPECT_EQ(shownWhileOpen, (std::vector<std::string>{"35% Remaining", "15% Remaining"}));
}

TEST(MsgEvent, StateMachine) {
    ScriptedMessages messages;
    AlarmEvent e(messages, [] { return StatusTexts{}; });
    e.setMessage("Low battery.");
    // Enabled, condition, shown: disabled alarms neither show nor re-arm; new text does not re-arm.
    const std::tuple<bool, bool, bool> rows[] = {
        {true, true, true},   {true, true, false}, {false, false, false}, {true, true, false},
        {true, false, false}, {true, true, true},  {false, true, false},  {true, true, false}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [enabled, condition, shows] = rows[i];
        e.setEnabled(enabled);
        e.setCondition(condition);
        const auto before = messages.shown.size();
        e.showIfDue();
        EXPECT_EQ(messages.shown.size() - before, shows ? 1u : 0u) << "row " << i;
        e.setMessage("Low battery.");
    }
    // Only samples seen by showIfDue count: a blip between two calls re-arms nothing.
    e.setCondition(false);
    e.setCondition(true);
    e.showIfDue();
    EXPECT_EQ(messages.shown.size(), 2u);
}

}  // namespace
}  // namespace orvane
