#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <map>
#include <random>

#include "core/alarms/control_center_model.h"
#include "core/dialogs/wizard_model.h"
#include "fakes/fakes.h"
#include "platform/posix/reg_file_backend.h"
#include "support/test_support.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const std::string kLowTimeMsg =
    "Saved low battery time alarm value is greater than the estimated full battery time. The value "
    "has been "
    "resetted.";
const std::string kCriticalTimeMsg =
    "Saved critical battery time alarm value is greater than the estimated full battery time. The "
    "value has "
    "been resetted.";

// The model over an in-memory store, or over a real store file when given one; the actions it
// calls outward go to a journal.
struct Harness {
    explicit Harness(SettingsBackend* file = nullptr) : store(file ? *file : user, machine) {
        store.EnsureKeys();
        power.snapshot.batteryFullTime = -1;
    }
    ControlCenterModel make() {
        return ControlCenterModel(store, messages, power,
                                  {[this] { calls.push_back("loadAlarms"); },
                                   [this] { calls.push_back("updateDisplay"); },
                                   [this] { calls.push_back("clearLastUpdate"); }});
    }
    void put(Setting s, const std::string& text) { store.save(s, text); }

    MemoryBackend user;
    MemoryBackend machine;
    SettingsStore store;
    ScriptedMessages messages;
    FakePowerSource power;
    std::vector<std::string> calls;
};

// Low, critical, low time, critical time.
using Values = std::array<int, 4>;

struct LoadCase {
    const char* name;
    std::vector<std::pair<Setting, std::string>> stored;
    std::int32_t fullTimeSeconds;
    int fullTime;
    int timeTick;
    Values values;
    std::vector<std::string> messages;
};

Values valuesOf(const ControlCenterModel& m) {
    Values v{};
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = m.slider(static_cast<AlarmSlider>(i)).value;
    return v;
}

}  // namespace

TEST(ControlCenterModel, LoadFollowsTheStoredValuesAndTheFullBatteryTime) {
    const std::vector<LoadCase> cases{
        {"nothing stored", {}, -1, 120, 15, {10, 0, 25, 0}, {}},
        {"platform 3 hours", {}, 10800, 180, 15, {10, 0, 25, 0}, {}},
        {"Data 0.6", {{Setting::Data, "0.6"}}, -1, 60, 15, {10, 0, 25, 0}, {}},
        // Below an hour a quarter of the range; an hour or more keeps the design's 15.
        {"58 minute battery", {}, 58 * 60, 58, 14, {10, 0, 25, 0}, {}},
        {"62 minute battery", {}, 62 * 60, 62, 15, {10, 0, 25, 0}, {}},
        {"Data 0", {{Setting::Data, "0"}}, -1, 120, 15, {10, 0, 25, 0}, {}},
        {"Data 0.145 rounds half to even",
         {{Setting::Data, "0.145"}},
         -1,
         14,
         4,
         {10, 0, 14, 0},
         {}},
        {"platform seconds round half to even", {}, 30 * 60 + 30, 30, 8, {10, 0, 25, 0}, {}},
        {"low time above a 30 minute battery",
         {{Setting::LowBattTimeVal, "45"}},
         1800,
         30,
         8,
         {10, 0, 3, 0},
         {kLowTimeMsg}},
        {"critical time above a 150 minute battery",
         {{Setting::CriticalBattTimeVal, "200"}},
         9000,
         150,
         15,
         {10, 0, 25, 4},
         {kCriticalTimeMsg}},
        {"critical time above the low time gets the same message",
         {{Setting::LowBattTimeVal, "20"}, {Setting::CriticalBattTimeVal, "30"}},
         -1,
         120,
         15,
         {10, 0, 20, 4},
         {kCriticalTimeMsg}},
        {"restored time beyond the design range survives",
         {{Setting::LowBattTimeVal, "150"}, {Setting::CriticalBattTimeVal, "120"}},
         10800,
         180,
         15,
         {10, 0, 150, 120},
         {}},
        {"restored percents",
         {{Setting::LowBattVal, "20"}, {Setting::CriticalBattVal, "5"}},
         -1,
         120,
         15,
         {20, 5, 25, 0},
         {}},
        {"critical percent above the low one is ignored",
         {{Setting::LowBattVal, "20"}, {Setting::CriticalBattVal, "30"}},
         -1,
         120,
         15,
         {20, 3, 25, 0},
         {}},
        {"percent out of range is ignored",
         {{Setting::LowBattVal, "150"}},
         -1,
         120,
         15,
         {10, 0, 25, 0},
         {}},
        {"huge platform time is bounded",
         {{Setting::LowBattTimeVal, "30000"}},
         INT32_MAX,
         32767,
         15,
         {10, 0, 30000, 0},
         {}},
        {"huge Data is bounded", {{Setting::Data, "1e30"}}, -1, 32767, 15, {10, 0, 25, 0}, {}},
        {"negative Data counts as none", {{Setting::Data, "-3"}}, -1, 120, 15, {10, 0, 25, 0}, {}},
        {"tiny battery: a tenth rounds to 0 and the limit makes it 1",
         {{Setting::LowBattTimeVal, "9"}},
         240,
         4,
         1,
         {10, 0, 1, 0},
         {kLowTimeMsg}},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        for (const auto& [s, text] : c.stored) h.put(s, text);
        h.power.snapshot.batteryFullTime = c.fullTimeSeconds;
        h.user.writes.clear();
        ControlCenterModel m = h.make();
        m.load();

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
        EXPECT_TRUE(h.user.writes.empty()) << "load writes nothing";
    }
}

TEST(ControlCenterModel, EachSliderAndLabelIsEnabledExactlyWhenItsBoxIsChecked) {
    Harness h;
    h.put(Setting::LowBatt, "1");
    h.put(Setting::CriticalBattTime, "1");
    h.put(Setting::BatteryFullyCharged, "1");
    ControlCenterModel m = h.make();
    m.load();
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
    struct Move {
        AlarmSlider slider;
        int value;
    };
    struct RuleCase {
        const char* name;
        std::vector<Move> moves;
        Values values;
        std::array<const char*, 4> labels;
    };
    const std::vector<RuleCase> cases{
        {"first opening", {}, {10, 0, 25, 0}, {"10%", "0%", "0:25", "0:00"}},
        {"low battery dragged to 0 stays at 1",
         {{AlarmSlider::LowBatt, 0}},
         {1, 0, 25, 0},
         {"1%", "0%", "0:25", "0:00"}},
        {"low time dragged to 0 stays at 1",
         {{AlarmSlider::LowBattTime, 0}},
         {10, 0, 1, 0},
         {"10%", "0%", "0:01", "0:00"}},
        {"critical snaps back to the low slider",
         {{AlarmSlider::CriticalBatt, 50}},
         {10, 10, 25, 0},
         {"10%", "10%", "0:25", "0:00"}},
        {"critical time snaps back to the low time",
         {{AlarmSlider::CriticalBattTime, 100}},
         {10, 0, 25, 25},
         {"10%", "0%", "0:25", "0:25"}},
        {"moving a low slider leaves its partner alone",
         {{AlarmSlider::CriticalBatt, 8},
          {AlarmSlider::LowBatt, 5},
          {AlarmSlider::CriticalBattTime, 20},
          {AlarmSlider::LowBattTime, 3}},
         {5, 8, 3, 20},
         {"5%", "8%", "0:03", "0:20"}},
        {"values are held within the range",
         {{AlarmSlider::LowBatt, 500},
          {AlarmSlider::LowBattTime, 130},
          {AlarmSlider::LowBattTime, 9999}},
         {100, 0, 120, 0},
         {"100%", "0%", "2:00", "0:00"}},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        ControlCenterModel m = h.make();
        m.load();
        for (const Move& mv : c.moves) m.setSliderValue(mv.slider, mv.value);
        EXPECT_EQ(valuesOf(m), c.values);
        for (std::size_t i = 0; i < kAlarmSliderCount; ++i) {
            EXPECT_EQ(m.slider(static_cast<AlarmSlider>(i)).label, c.labels[i]) << i;
        }
    }
}

TEST(ControlCenterModel, OkWritesTheTenValuesInOrderThenReloads) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    RegFileBackend file(path);
    Harness h(&file);
    std::string fileAtReload;
    ControlCenterModel m(h.store, h.messages, h.power,
                         {[&] {
                              h.calls.push_back("loadAlarms");
                              fileAtReload = readText(path);
                          },
                          {},
                          {}});
    m.load();
    m.setChecked(AlarmCheck::LowBatt, true);
    m.setChecked(AlarmCheck::PowerSource, true);
    m.setSliderValue(AlarmSlider::CriticalBatt, 8);
    m.setSliderValue(AlarmSlider::LowBatt, 5);  // critical stays above low and is stored so
    m.setSliderValue(AlarmSlider::LowBattTime, 90);
    m.ok();

    const std::string text = readText(path);
    EXPECT_EQ(h.calls, std::vector<std::string>{"loadAlarms"});
    EXPECT_EQ(fileAtReload, text) << "the alarms reload after all ten writes";
    const std::vector<std::string> expected{
        "\"LowBatt\"=\"1\"",           "\"LowBattVal\"=\"5\"",
        "\"CriticalBatt\"=\"0\"",      "\"CriticalBattVal\"=\"8\"",
        "\"LowBattTime\"=\"0\"",       "\"LowBattTimeVal\"=\"90\"",
        "\"CriticalBattTime\"=\"0\"",  "\"CriticalBattTimeVal\"=\"0\"",
        "\"PowerSourceChange\"=\"1\"", "\"BatteryFullyCharged\"=\"0\""};
    std::size_t at = 0;
    for (const std::string& line : expected) {
        const std::size_t found = text.find("\n" + line, at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order in\n" << text;
        at = found + 1;
    }
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ControlCenterModel, ResetAsksWithNoAsDefaultAndOnYesClearsRefreshesAndConfirms) {
    Harness h;
    h.put(Setting::Data, "1.5");
    h.put(Setting::Count, "4");
    ControlCenterModel m = h.make();
    m.load();
    h.messages.onShow = [&](const MessageRequest& r) { h.calls.push_back("msg:" + r.text); };

    h.messages.answers = {MsgAnswer::No};
    m.reset();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    const MessageRequest& q = h.messages.shown[0];
    EXPECT_EQ(q.title, "Orvane");
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(q.defaultButton, MsgAnswer::No);
    EXPECT_EQ(h.user.text(std::string(keys::kSetting), "Data"), "1.5");
    EXPECT_EQ(h.user.text(std::string(keys::kSetting), "Count"), "4");

    h.calls.clear();
    h.user.commits.clear();
    h.messages.answers = {MsgAnswer::Yes};
    m.reset();
    EXPECT_EQ(h.user.commits, (std::vector<std::vector<std::string>>{{"Data", "Count"}}));
    EXPECT_EQ(h.user.text(std::string(keys::kSetting), "Data"), "0");
    EXPECT_EQ(h.user.text(std::string(keys::kSetting), "Count"), "0");
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

// Ok is one commit: killed at any moment, the program leaves the ten values all as they were
// or all as the dialog showed them. Two dialog states alternate, apart in every value.
TEST(ControlCenterModel, OkIsOneCommitThatNoKillSplits) {
    const auto fill = [](ControlCenterModel& m, bool first) {
        for (std::size_t i = 0; i < kAlarmCheckCount; ++i)
            m.setChecked(static_cast<AlarmCheck>(i), first);
        const Values v = first ? Values{20, 10, 30, 10} : Values{40, 5, 50, 20};
        for (std::size_t i = 0; i < kAlarmSliderCount; ++i)
            m.setSliderValue(static_cast<AlarmSlider>(i), v[i]);
    };
    using Stored = std::map<std::string, std::string>;
    const auto stored = [](SettingsStore& store) {
        Stored s;
        for (Setting v : {Setting::LowBatt, Setting::LowBattVal, Setting::CriticalBatt,
                          Setting::CriticalBattVal, Setting::LowBattTime, Setting::LowBattTimeVal,
                          Setting::CriticalBattTime, Setting::CriticalBattTimeVal,
                          Setting::PowerSourceChange, Setting::BatteryFullyCharged})
            s[std::string(settingInfo(v).name)] = store.get(v).toText();
        return s;
    };
    std::array<Stored, 2> states;
    for (bool first : {true, false}) {
        Harness memory;
        ControlCenterModel m = memory.make();
        m.load();
        fill(m, first);
        memory.user.commits.clear();
        m.ok();
        EXPECT_EQ(memory.user.commits.size(), 1u);
        states[first] = stored(memory.store);
    }
    ASSERT_NE(states[0], states[1]);

    TempDir dir;
    RegFileBackend file(dir / "Orvane.reg");
    Harness h(&file);
    const Stored before = stored(h.store);
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 60; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ControlCenterModel m = h.make();
            for (bool first = true;; first = !first) {
                fill(m, first);
                m.ok();
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const Stored now = stored(h.store);
        ASSERT_TRUE(now == states[0] || now == states[1] || now == before) << "round " << round;
    }
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
        h.user.commits.clear();
        w.sliderMoved(r.moved);
        EXPECT_EQ(w.timeLabel(), r.label) << r.moved;
        w.done();
        EXPECT_EQ(h.user.commits, (std::vector<std::vector<std::string>>{{"Data", "Count"}}))
            << r.moved;
        EXPECT_EQ(h.store.get(Setting::Data), SettingValue::text(r.data)) << r.moved;
    }
}
