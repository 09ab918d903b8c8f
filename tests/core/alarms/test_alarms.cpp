#include <gtest/gtest.h>

#include "fakes/logic_rig.h"

namespace orvane {
namespace {

using namespace orvane::test;

const std::string kS(keys::kSetting);

// The program's logic with scripted power readings and recorded message boxes; alarms are
// driven the way the program drives them, through the change handler.
struct Rig : MemoryStores, LogicRig {
    Rig(PowerSnapshot start, std::initializer_list<std::pair<const char*, const char*>> settings)
        : LogicRig(store) {
        user.createKey(kS);
        user.putText(kS, "First Use", "1");
        for (const auto& [name, value] : settings) user.putText(kS, name, value);
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

TEST(Alarms, PercentPairGivesWayToTheCriticalOne) {
    Rig r(
        discharging(50),
        {{"LowBatt", "1"}, {"LowBattVal", "20"}, {"CriticalBatt", "1"}, {"CriticalBattVal", "10"}});
    r.step(discharging(5));  // one step below both thresholds, e.g. after a resume
    EXPECT_EQ(r.take(), Heads{"Critical battery."});
    r.step(discharging(4));
    EXPECT_EQ(r.take(), Heads{});
    r.step(discharging(15));  // still low, no longer critical: the low one was never shown
    EXPECT_EQ(r.take(), Heads{"Low battery."});
    r.step(discharging(14));
    EXPECT_EQ(r.take(), Heads{});
    r.step(charging(30));
    r.step(discharging(20));  // equality holds
    EXPECT_EQ(r.take(), Heads{"Low battery."});
}

TEST(Alarms, SwitchedOffCriticalSilencesTheLowOneToo) {
    Rig r(discharging(50), {{"LowBatt", "1"},
                            {"LowBattVal", "20"},
                            {"CriticalBatt", "0"},
                            {"CriticalBattVal", "10"},
                            {"LowBattTime", "1"},
                            {"LowBattTimeVal", "60"},
                            {"CriticalBattTimeVal", "30"}});
    r.step(discharging(5, 20 * 60));
    EXPECT_EQ(r.take(), Heads{});
}

TEST(Alarms, TimePairAndTimesWithoutAFigure) {
    Rig r(discharging(80, 3 * 3600), {{"LowBattTime", "1"},
                                      {"LowBattTimeVal", "30"},
                                      {"CriticalBattTime", "1"},
                                      {"CriticalBattTimeVal", "10"}});
    r.step(discharging(79, -1));  // no platform time, no learnt data: no figure
    r.step(discharging(78, 0));   // zero minutes is no figure either
    r.step(discharging(77, 59));
    EXPECT_EQ(r.take(), Heads{});
    r.step(discharging(60, 25 * 60));
    EXPECT_EQ(r.take(), Heads{"Low battery time."});
    r.step(discharging(40, 10 * 60));
    EXPECT_EQ(r.take(), Heads{"Critical battery time."});
}

TEST(Alarms, UnknownPercentAndAbsentThresholds) {
    Rig r(discharging(50), {{"LowBatt", "1"},
                            {"CriticalBatt", "1"},
                            {"CriticalBattVal", "100"},
                            {"BatteryFullyCharged", "1"},
                            {"LowBattTime", "1"}});
    PowerSnapshot unknown = discharging(50);
    unknown.batteryLifePercent = 255;
    r.step(unknown);  // 255 is above any percent threshold, and is not a full battery
    EXPECT_EQ(r.take(), Heads{});
    r.step(discharging(1, 60));  // an absent threshold counts as 0; a time alarm then never holds
    EXPECT_EQ(r.take(), Heads{"Critical battery."});
    r.step(discharging(0, 60));
    EXPECT_EQ(r.take(), Heads{});
}

TEST(Alarms, ThresholdsThatAreNotNumbersReadAsZero) {
    Rig r(discharging(50), {{"LowBatt", "yes"},
                            {"LowBattVal", "abc"},
                            {"CriticalBatt", "1"},
                            {"CriticalBattVal", ""}});
    r.step(discharging(1));
    EXPECT_EQ(r.take(), Heads{});
    r.step(discharging(0));
    EXPECT_EQ(r.take(), Heads{"Critical battery."});
}

TEST(Alarms, PowerSourceChangeComparesWithWhatIsShown) {
    PowerSnapshot unknownPower;
    Rig r(unknownPower, {{"PowerSourceChange", "1"}});
    PowerSnapshot stillUnknown = unknownPower;
    stillUnknown.batteryLifeTime = 60;  // a change, but the power source is still unknown
    r.step(stillUnknown);
    EXPECT_EQ(r.take(), Heads{});
    r.step(charging(50));  // "Unknown" shown, now mains
    EXPECT_EQ(r.take(), Heads{"Power source change detected."});
    r.step(charging(51));
    EXPECT_EQ(r.take(), Heads{});
    r.step(discharging(51));
    EXPECT_EQ(r.take(), Heads{"Power source change detected."});
}

TEST(Alarms, FullChargeOnceWhenTheDisplayStillShowsLess) {
    Rig r(charging(99), {{"BatteryFullyCharged", "1"}});
    r.step(charging(100));
    EXPECT_EQ(r.take(), Heads{"Battery is now fully charged."});
    PowerSnapshot full = charging(100);
    full.batteryFullTime = 100;  // another change while full: the display already shows 100
    r.step(full);
    EXPECT_EQ(r.take(), Heads{});
    r.step(charging(98));
    r.step(charging(100));
    EXPECT_EQ(r.take(), Heads{"Battery is now fully charged."});
    // Full already when the program starts: 100 is shown from the first update on.
    Rig atStart(charging(100), {{"BatteryFullyCharged", "1"}});
    atStart.step(full);
    EXPECT_EQ(atStart.take(), Heads{});
}

TEST(Alarms, MessageQuotesTheStatusAsNowShown) {
    Rig r(discharging(50, 3600), {{"LowBatt", "1"}, {"LowBattVal", "10"}});
    r.step(discharging(9, 25 * 60));
    ASSERT_EQ(r.messages.shown.size(), 1u);
    const MessageRequest& m = r.messages.shown[0];
    EXPECT_EQ(m.text,
              "Low battery.\r\rYou should change to a new battery of switch to outlet power to "
              "prevent data lost."
              "\r\rCurrent status: \r  Status: 9% Remaining\r  Battery Time: 0:25\r  Power Source: "
              "Battery");
    EXPECT_EQ(m.title, "Orvane");
    EXPECT_EQ(m.icon, MsgIcon::Information);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(FormatStatusText({}), "  Status: \r  Battery Time: \r  Power Source: ");
}

TEST(Alarms, ChangeDuringAnOpenMessageWaitsForItToClose) {
    Rig r(
        discharging(50),
        {{"LowBatt", "1"}, {"LowBattVal", "40"}, {"CriticalBatt", "1"}, {"CriticalBattVal", "20"}});
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
    struct Row {
        bool enabled, condition;
        bool shows;
    };
    // Disabled alarms neither show nor re-arm; new text does not re-arm.
    const Row rows[] = {
        {true, true, true},   {true, true, false}, {false, false, false}, {true, true, false},
        {true, false, false}, {true, true, true},  {false, true, false},  {true, true, false},
    };
    for (const Row& row : rows) {
        e.setEnabled(row.enabled);
        e.setCondition(row.condition);
        const auto before = messages.shown.size();
        e.showIfDue();
        EXPECT_EQ(messages.shown.size() - before, row.shows ? 1u : 0u);
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
