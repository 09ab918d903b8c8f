#include <gtest/gtest.h>

#include "core/alarms/control_center_model.h"
#include "core/dialogs/wizard_model.h"
#include "fakes/logic_rig.h"
#include "support/test_support.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const std::string kS(keys::kSetting);
const std::string kLowTimeMsg =
    "Saved low battery time alarm value is greater than the estimated full battery time. The value "
    "has been resetted.";
const std::string kCriticalTimeMsg =
    "Saved critical battery time alarm value is greater than the estimated full battery time. The "
    "value has been resetted.";
using Commits = std::vector<std::vector<std::string>>;

// The model over an in-memory store holding `stored` ("Name=value ..."); the actions it calls
// outward go to a journal.
struct Harness : MemoryStores {
    explicit Harness(const std::string& stored = "") {
        store.EnsureKeys();
        for (const auto& [name, value] : pairsOf(stored)) user.putText(kS, name, value);
        power.snapshot.batteryFullTime = -1;
    }
    ControlCenterModel loaded() {
        ControlCenterModel m(
            store, messages, power,
            {[this] {
                 calls.push_back("loadAlarms, commits " + std::to_string(user.commits.size()));
             },
             [this] { calls.push_back("updateDisplay"); },
             [this] { calls.push_back("clearLastUpdate"); }});
        m.load();
        return m;
    }

    ScriptedMessages messages;
    FakePowerSource power;
    std::vector<std::string> calls;
};

// Low, critical, low time, critical time.
using Values = std::array<int, 4>;

Values valuesOf(const ControlCenterModel& m) {
    Values v{};
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = m.slider(static_cast<AlarmSlider>(i)).value;
    return v;
}

}  // namespace

TEST(ControlCenterModel, LoadFollowsTheStoredValuesAndTheFullBatteryTime) {
    const Values plain{10, 0, 25, 0};
    const struct {
        const char* name;
        const char* stored;
        std::int32_t fullTimeSeconds;
        int fullTime, timeTick;
        Values values;
        std::vector<std::string> messages;
    } cases[] = {
        // clang-format off
        {"nothing stored", "", -1, 120, 15, plain, {}},
        {"platform 3 hours", "", 10800, 180, 15, plain, {}},
        {"Data 0.6", "Data=0.6", -1, 60, 15, plain, {}},
        // Below an hour a quarter of the range; an hour or more keeps the design's 15.
        {"58 minute battery", "", 58 * 60, 58, 14, plain, {}},
        {"62 minute battery", "", 62 * 60, 62, 15, plain, {}},
        {"Data 0", "Data=0", -1, 120, 15, plain, {}},
        {"Data 0.145 rounds half to even", "Data=0.145", -1, 14, 4, {10, 0, 14, 0}, {}},
        {"platform seconds round half to even", "", 30 * 60 + 30, 30, 8, plain, {}},
        {"low time above a 30 minute battery", "LowBattTimeVal=45", 1800, 30, 8, {10, 0, 3, 0},
         {kLowTimeMsg}},
        {"critical time above a 150 minute battery", "CriticalBattTimeVal=200", 9000, 150, 15,
         {10, 0, 25, 4}, {kCriticalTimeMsg}},
        {"critical time above the low time gets the same message",
         "LowBattTimeVal=20 CriticalBattTimeVal=30", -1, 120, 15, {10, 0, 20, 4},
         {kCriticalTimeMsg}},
        {"restored time beyond the design range survives",
         "LowBattTimeVal=150 CriticalBattTimeVal=120", 10800, 180, 15, {10, 0, 150, 120}, {}},
        {"restored percents", "LowBattVal=20 CriticalBattVal=5", -1, 120, 15, {20, 5, 25, 0}, {}},
        {"critical percent above the low one is ignored", "LowBattVal=20 CriticalBattVal=30", -1,
         120, 15, {20, 3, 25, 0}, {}},
        {"percent out of range is ignored", "LowBattVal=150", -1, 120, 15, plain, {}},
        {"huge platform time is bounded", "LowBattTimeVal=30000", INT32_MAX, 32767, 15,
         {10, 0, 30000, 0}, {}},
        {"huge Data is bounded", "Data=1e30", -1, 32767, 15, plain, {}},
        {"negative Data counts as none", "Data=-3", -1, 120, 15, plain, {}},
        {"tiny battery: a tenth rounds to 0 and the limit makes it 1", "LowBattTimeVal=9", 240, 4,
         1, {10, 0, 1, 0}, {kLowTimeMsg}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.stored);
        h.power.snapshot.batteryFullTime = c.fullTimeSeconds;
        h.user.commits.clear();
        const ControlCenterModel m = h.loaded();
        EXPECT_EQ(m.fullBatteryTime(), c.fullTime);
        EXPECT_EQ(valuesOf(m), c.values);
        for (AlarmSlider s : {AlarmSlider::LowBattTime, AlarmSlider::CriticalBattTime}) {
            EXPECT_EQ(m.slider(s).maximum, c.fullTime);
            EXPECT_EQ(m.slider(s).tickFrequency, c.timeTick);
        }
        ASSERT_EQ(h.messages.shown.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(h.messages.shown[i].text, c.messages[i]);
            EXPECT_EQ(h.messages.shown[i].icon, MsgIcon::Exclamation);
        }
        EXPECT_TRUE(h.user.commits.empty()) << "load writes nothing";
    }
}

TEST(ControlCenterModel, EachSliderAndLabelIsEnabledExactlyWhenItsBoxIsChecked) {
    Harness h("LowBatt=1 CriticalBattTime=1 BatteryFullyCharged=1");
    ControlCenterModel m = h.loaded();
    const std::array<bool, kAlarmCheckCount> checked{true, false, false, true, false, true};
    for (std::size_t i = 0; i < kAlarmCheckCount; ++i) {
        EXPECT_EQ(m.checked(static_cast<AlarmCheck>(i)), checked[i]) << i;
        if (i < kAlarmSliderCount) {
            EXPECT_EQ(m.slider(static_cast<AlarmSlider>(i)).enabled, checked[i]) << i;
        }
    }
    m.setChecked(AlarmCheck::LowBatt, false);
    m.setChecked(AlarmCheck::LowBattTime, true);
    EXPECT_FALSE(m.slider(AlarmSlider::LowBatt).enabled);
    EXPECT_TRUE(m.slider(AlarmSlider::LowBattTime).enabled);
}

TEST(ControlCenterModel, SliderRulesKeepTheLimitsAndTheLabels) {
    using S = AlarmSlider;
    const struct {
        const char* name;
        std::vector<std::pair<AlarmSlider, int>> moves;
        Values values;
        const char* labels;
    } cases[] = {
        // clang-format off
        {"first opening", {}, {10, 0, 25, 0}, "10% 0% 0:25 0:00"},
        {"low battery dragged to 0 stays at 1", {{S::LowBatt, 0}}, {1, 0, 25, 0},
         "1% 0% 0:25 0:00"},
        {"low time dragged to 0 stays at 1", {{S::LowBattTime, 0}}, {10, 0, 1, 0},
         "10% 0% 0:01 0:00"},
        {"critical snaps back to the low slider", {{S::CriticalBatt, 50}}, {10, 10, 25, 0},
         "10% 10% 0:25 0:00"},
        {"critical time snaps back to the low time", {{S::CriticalBattTime, 100}}, {10, 0, 25, 25},
         "10% 0% 0:25 0:25"},
        {"moving a low slider leaves its partner alone",
         {{S::CriticalBatt, 8}, {S::LowBatt, 5}, {S::CriticalBattTime, 20}, {S::LowBattTime, 3}},
         {5, 8, 3, 20}, "5% 8% 0:03 0:20"},
        {"values are held within the range",
         {{S::LowBatt, 500}, {S::LowBattTime, 130}, {S::LowBattTime, 9999}}, {100, 0, 120, 0},
         "100% 0% 2:00 0:00"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        ControlCenterModel m = h.loaded();
        for (const auto& [slider, value] : c.moves) m.setSliderValue(slider, value);
        EXPECT_EQ(valuesOf(m), c.values);
        std::string labels;
        for (std::size_t i = 0; i < kAlarmSliderCount; ++i)
            labels += (i ? " " : "") + m.slider(static_cast<AlarmSlider>(i)).label;
        EXPECT_EQ(labels, c.labels);
    }
}

// Ok is one commit of the ten values before the alarms reload: killed at any moment, the
// program leaves them all as they were or all as the dialog showed them.
TEST(ControlCenterModel, OkWritesTheTenValuesInOneCommitThenReloads) {
    Harness h;
    ControlCenterModel m = h.loaded();
    m.setChecked(AlarmCheck::LowBatt, true);
    m.setChecked(AlarmCheck::PowerSource, true);
    m.setSliderValue(AlarmSlider::CriticalBatt, 8);
    m.setSliderValue(AlarmSlider::LowBatt, 5);  // critical stays above low and is stored so
    m.setSliderValue(AlarmSlider::LowBattTime, 90);
    h.user.commits.clear();
    h.calls.clear();
    m.ok();

    std::vector<std::string> names;
    for (const auto& [name, value] :
         pairsOf("LowBatt=1 LowBattVal=5 CriticalBatt=0 CriticalBattVal=8 LowBattTime=0 "
                 "LowBattTimeVal=90 CriticalBattTime=0 CriticalBattTimeVal=0 PowerSourceChange=1 "
                 "BatteryFullyCharged=0")) {
        names.push_back(name);
        EXPECT_EQ(h.user.text(kS, name), value) << name;
    }
    EXPECT_EQ(h.user.commits, Commits{names});
    EXPECT_EQ(h.calls, std::vector<std::string>{"loadAlarms, commits 1"});
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ControlCenterModel, ResetAsksWithNoAsDefaultAndOnYesClearsRefreshesAndConfirms) {
    Harness h("Data=1.5 Count=4");
    ControlCenterModel m = h.loaded();
    h.messages.onShow = [&](const MessageRequest& r) { h.calls.push_back("msg:" + r.text); };

    h.messages.answers = {MsgAnswer::No};
    m.reset();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    const MessageRequest& q = h.messages.shown[0];
    EXPECT_EQ(std::make_tuple(q.title, q.buttons, q.icon, q.defaultButton),
              std::make_tuple("Orvane", MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No));
    EXPECT_EQ(h.user.text(kS, "Data") + " " + h.user.text(kS, "Count"), "1.5 4");

    h.calls.clear();
    h.user.commits.clear();
    h.messages.answers = {MsgAnswer::Yes};
    m.reset();
    EXPECT_EQ(h.user.commits, (Commits{{"Data", "Count"}}));
    EXPECT_EQ(h.user.text(kS, "Data") + " " + h.user.text(kS, "Count"), "0 0");
    EXPECT_EQ(h.calls,
              (std::vector<std::string>{"msg:Are you sure you want to reset the battery time data?",
                                        "updateDisplay", "clearLastUpdate",
                                        "msg:Battery time data successfully resetted."}));
    EXPECT_EQ(h.messages.shown.back().icon, MsgIcon::Information);

    const std::size_t shown = h.messages.shown.size();
    m.moreInfo();
    ASSERT_EQ(h.messages.shown.size(), shown + 1);
    EXPECT_EQ(h.messages.shown.back().icon, MsgIcon::Information);
    EXPECT_EQ(h.messages.shown.back().title, "Orvane");
}

TEST(WizardModel, DoneIsOneCommitOfTheTimeWithinTheSlidersRange) {
    Harness h;
    WizardModel w(h.store, h.messages);
    // A slider moved past either end (a key held down, a hand-made event) is held to it.
    const struct {
        int moved;
        const char* label;
        const char* data;
    } rows[] = {{90, "1:30", "0.9"}, {0, "N/A", "0"}, {-15, "N/A", "0"}, {615, "10:00", "6"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.moved);
        h.user.commits.clear();
        w.sliderMoved(r.moved);
        EXPECT_EQ(w.timeLabel(), r.label);
        w.done();
        EXPECT_EQ(h.user.commits, (Commits{{"Data", "Count"}}));
        EXPECT_EQ(h.store.get(Setting::Data), SettingValue::text(r.data));
    }
}
