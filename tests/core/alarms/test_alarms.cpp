#include <gtest/gtest.h>

#include "core/alarms/control_center_model.h"
#include "core/dialogs/wizard_model.h"
#include "fakes/logic_rig.h"

namespace orvane {
namespace {

using namespace orvane::test;

// The program's logic with scripted power readings and recorded message boxes; alarms are
// driven the way the program drives them, through the change handler.
struct Rig : LogicRig {
    // settings: "Name=value ..." under the Setting key.
    Rig(PowerSnapshot reading, const std::string& settings) {
        power.snapshot = reading;
        start(settings);
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

// The message quotes the status as now shown; a change while it is open waits for it to close.
TEST(Alarms, MessageQuotesTheStatusShownAndAChangeWaitsForItToClose) {
    Rig r(discharging(50, 3600), "LowBatt=1 LowBattVal=40 CriticalBatt=1 CriticalBattVal=20");
    std::vector<std::string> shownWhileOpen;
    int depth = 0;
    r.messages.onShow = [&](const MessageRequest&) {
        ++depth;
        EXPECT_EQ(depth, 1) << "a second box opened inside the first";
        shownWhileOpen.push_back(r.c.shownTexts().status);
        if (shownWhileOpen.size() == 1) r.step(discharging(15));  // arrives while the box is open
        --depth;
    };
    r.step(discharging(35, 25 * 60));
    ASSERT_EQ(r.messages.shown.size(), 2u);
    const MessageRequest& m = r.messages.shown[0];
    EXPECT_EQ(m.text,
              "Low battery.\r\rYou should change to a new battery of switch to outlet power to "
              "prevent data lost."
              "\r\rCurrent status: \r  Status: 35% Remaining\r  Battery Time: 0:25\r  Power "
              "Source: Battery");
    EXPECT_EQ(std::make_tuple(m.title, m.icon, m.buttons),
              std::make_tuple("Orvane", MsgIcon::Information, MsgButtons::Ok));
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

const std::string kLowTimeMsg =
    "Saved low battery time alarm value is greater than the estimated full battery time. The value "
    "has been resetted.";
const std::string kCriticalTimeMsg =
    "Saved critical battery time alarm value is greater than the estimated full battery time. The "
    "value has been resetted.";

// The model over an in-memory store holding `stored` ("Name=value ..."); the actions it calls
// outward go to a journal.
struct Harness : LogicRig {
    explicit Harness(const std::string& stored = "") {
        store.EnsureKeys();
        put(stored);
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

    std::vector<std::string> calls;
};

// Low, critical, low time, critical time.
using Values = std::array<int, 4>;

Values valuesOf(const ControlCenterModel& m) {
    Values v{};
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = m.slider(static_cast<AlarmSlider>(i)).value;
    return v;
}

TEST(ControlCenterModel, LoadFollowsTheStoredValuesAndTheFullBatteryTime) {
    const Values plain{10, 0, 25, 0};
    const std::string* const none = nullptr;
    // fullTimeSeconds is the platform's, -1 for none; message is the one shown, if any.
    const struct {
        const char* stored;
        std::int32_t fullTimeSeconds;
        int fullTime, timeTick;
        Values values;
        const std::string* message;
    } cases[] = {
        // clang-format off
        {"", -1, 120, 15, plain, none}, {"", 10800, 180, 15, plain, none},
        {"Data=0.6", -1, 60, 15, plain, none},
        // Below an hour a quarter of the range; an hour or more keeps the design's 15.
        {"", 58 * 60, 58, 14, plain, none}, {"", 62 * 60, 62, 15, plain, none},
        {"Data=0", -1, 120, 15, plain, none},
        // Minutes from Data or from the platform's seconds round half to even.
        {"Data=0.145", -1, 14, 4, {10, 0, 14, 0}, none}, {"", 30 * 60 + 30, 30, 8, plain, none},
        {"LowBattTimeVal=45", 1800, 30, 8, {10, 0, 3, 0}, &kLowTimeMsg},
        {"CriticalBattTimeVal=200", 9000, 150, 15, {10, 0, 25, 4}, &kCriticalTimeMsg},
        // A critical time above the low time gets the same message.
        {"LowBattTimeVal=20 CriticalBattTimeVal=30", -1, 120, 15, {10, 0, 20, 4}, &kCriticalTimeMsg},
        // A restored time beyond the design range survives.
        {"LowBattTimeVal=150 CriticalBattTimeVal=120", 10800, 180, 15, {10, 0, 150, 120}, none},
        {"LowBattVal=20 CriticalBattVal=5", -1, 120, 15, {20, 5, 25, 0}, none},
        // A critical percent above the low one, or a percent out of range, is ignored.
        {"LowBattVal=20 CriticalBattVal=30", -1, 120, 15, {20, 3, 25, 0}, none},
        {"LowBattVal=150", -1, 120, 15, plain, none},
        // Huge times are bounded; a negative Data counts as none.
        {"LowBattTimeVal=30000", INT32_MAX, 32767, 15, {10, 0, 30000, 0}, none},
        {"Data=1e30", -1, 32767, 15, plain, none}, {"Data=-3", -1, 120, 15, plain, none},
        // A tiny battery: a tenth rounds to 0, and the limit makes it 1.
        {"LowBattTimeVal=9", 240, 4, 1, {10, 0, 1, 0}, &kLowTimeMsg},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << ", " << c.fullTimeSeconds << " s");
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
        ASSERT_EQ(h.messages.shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(h.messages.shown[0].text, *c.message);
            EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Exclamation);
        }
        EXPECT_TRUE(h.user.commits.empty()) << "load writes nothing";
    }
}

TEST(ControlCenterModel, SliderRulesKeepTheLimitsAndTheLabels) {
    using S = AlarmSlider;
    // The labels show the values: low, critical, low time, critical time.
    const std::pair<std::vector<std::pair<AlarmSlider, int>>, const char*> cases[] = {
        // clang-format off
        {{}, "10% 0% 0:25 0:00"},  // the first opening
        {{{S::LowBatt, 0}}, "1% 0% 0:25 0:00"},  // a low slider dragged to 0 stays at 1
        {{{S::LowBattTime, 0}}, "10% 0% 0:01 0:00"},
        {{{S::CriticalBatt, 50}}, "10% 10% 0:25 0:00"},  // a critical one snaps back to its low one
        {{{S::CriticalBattTime, 100}}, "10% 0% 0:25 0:25"},
        // Moving a low slider leaves its partner alone.
        {{{S::CriticalBatt, 8}, {S::LowBatt, 5}, {S::CriticalBattTime, 20}, {S::LowBattTime, 3}},
         "5% 8% 0:03 0:20"},
        // Values are held within the range.
        {{{S::LowBatt, 500}, {S::LowBattTime, 130}, {S::LowBattTime, 9999}}, "100% 0% 2:00 0:00"},
        // clang-format on
    };
    for (const auto& [moves, want] : cases) {
        Harness h;
        ControlCenterModel m = h.loaded();
        for (const auto& [slider, value] : moves) m.setSliderValue(slider, value);
        std::string labels;
        for (std::size_t i = 0; i < kAlarmSliderCount; ++i)
            labels += (i ? " " : "") + m.slider(static_cast<AlarmSlider>(i)).label;
        EXPECT_EQ(labels, want);
    }
}

// Each box opens as stored and its slider and label are enabled exactly while it is checked.
// Ok is one commit of the ten values before the alarms reload: killed at any moment, the
// program leaves them all as they were or all as the dialog showed them.
TEST(ControlCenterModel, BoxesEnableTheirSlidersOkWritesTheTenValuesInOneCommitResetAsks) {
    Harness h(
        "LowBatt=1 CriticalBattTime=1 PowerSourceChange=1 BatteryFullyCharged=1 Data=1.5 "
        "Count=4");
    ControlCenterModel m = h.loaded();
    const auto enabled = [&m] {
        std::string on;
        for (std::size_t i = 0; i < kAlarmSliderCount; ++i)
            on += m.slider(static_cast<AlarmSlider>(i)).enabled ? '1' : '0';
        return on;
    };
    EXPECT_EQ(enabled(), "1001");
    m.setChecked(AlarmCheck::LowBatt, false);
    m.setChecked(AlarmCheck::LowBattTime, true);
    EXPECT_EQ(enabled(), "0011");
    m.setSliderValue(AlarmSlider::CriticalBatt, 8);
    m.setSliderValue(AlarmSlider::LowBatt, 5);  // critical stays above low and is stored so
    m.setSliderValue(AlarmSlider::LowBattTime, 90);
    h.user.commits.clear();
    h.calls.clear();
    m.ok();

    std::vector<std::string> names;
    for (const auto& [name, value] :
         pairsOf("LowBatt=0 LowBattVal=5 CriticalBatt=0 CriticalBattVal=8 LowBattTime=1 "
                 "LowBattTimeVal=90 CriticalBattTime=1 CriticalBattTimeVal=0 PowerSourceChange=1 "
                 "BatteryFullyCharged=1")) {
        names.push_back(name);
        EXPECT_EQ(h.user.text(std::string(keys::kSetting), name), value) << name;
    }
    EXPECT_EQ(h.user.commits, Commits{names});
    EXPECT_EQ(h.calls, std::vector<std::string>{"loadAlarms, commits 1"});
    EXPECT_TRUE(h.messages.shown.empty());

    // Reset asks, No the default; Yes clears the learnt data, refreshes and confirms.
    h.messages.onShow = [&](const MessageRequest& r) { h.calls.push_back("msg:" + r.text); };
    h.calls.clear();

    h.messages.answers = {MsgAnswer::No};
    m.reset();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    const MessageRequest& q = h.messages.shown[0];
    EXPECT_EQ(std::make_tuple(q.title, q.buttons, q.icon, q.defaultButton),
              std::make_tuple("Orvane", MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No));
    EXPECT_EQ(h.get({Setting::Data, Setting::Count}), "1.5 4");

    h.calls.clear();
    h.user.commits.clear();
    h.messages.answers = {MsgAnswer::Yes};
    m.reset();
    EXPECT_EQ(h.user.commits, (Commits{{"Data", "Count"}}));
    EXPECT_EQ(h.get({Setting::Data, Setting::Count}), "0 0");
    EXPECT_EQ(h.calls,
              (std::vector<std::string>{"msg:Are you sure you want to reset the battery time data?",
                                        "updateDisplay", "clearLastUpdate",
                                        "msg:Battery time data successfully resetted."}));
    EXPECT_EQ(h.messages.shown.back().icon, MsgIcon::Information);

    const std::size_t shown = h.messages.shown.size();
    m.moreInfo();
    ASSERT_EQ(h.messages.shown.size(), shown + 1);
    EXPECT_EQ(std::make_tuple(h.messages.shown.back().icon, h.messages.shown.back().title),
              std::make_tuple(MsgIcon::Information, "Orvane"));
}

TEST(WizardModel, DoneIsOneCommitOfTheTimeWithinTheSlidersRange) {
    Harness h;
    WizardModel w(h.store, h.messages);
    // A slider moved past either end (a key held down, a hand-made event) is held to it.
    const struct {
        int moved;
        const char* label;
        const char* learnt;  // Data and Count
    } rows[] = {
        {90, "1:30", "0.9 10"}, {0, "N/A", "0 0"}, {-15, "N/A", "0 0"}, {615, "10:00", "6 10"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.moved);
        h.user.commits.clear();
        w.sliderMoved(r.moved);
        EXPECT_EQ(w.timeLabel(), r.label);
        w.done();
        EXPECT_EQ(h.user.commits, (Commits{{"Data", "Count"}}));
        EXPECT_EQ(h.get({Setting::Data, Setting::Count}), r.learnt);
    }
}

}  // namespace
}  // namespace orvane
