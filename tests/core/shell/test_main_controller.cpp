#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/logic_rig.h"

namespace orvane {
namespace {

using namespace orvane::test;

const std::string kW(keys::kWindow);
const std::string kS(keys::kSetting);
const std::string kTip = "Status: 85% Remaining | Time: 2:05 | Pwr: Battery";
using Lines = std::vector<std::string>;
using Shown = std::pair<bool, bool>;
using S = Setting;

struct Rig : LogicRig {
    Rig() { power.snapshot = discharging(85, 7530); }
    // A returning user, in the display mode stored when one is given; started unless the test
    // has more to set up first.
    explicit Rig(const char* display, bool started = true) : Rig() {
        user.putText(kS, "First Use", "1");
        if (display) user.putText(kW, "Display", display);
        EXPECT_TRUE(!started || c.startUp());
    }
    std::size_t at(const std::string& line) const {
        const auto& l = journal.lines;
        return static_cast<std::size_t>(std::find(l.begin(), l.end(), line) - l.begin());
    }
    // Whether the main window and the panel show.
    Shown visible() const { return {main.visible, compact.visible}; }
    // What was logged and committed so far is forgotten.
    void restart() {
        journal.lines.clear();
        user.commits.clear();
    }
};

TEST(StartUp, FirstRunAsksThenWritesTheDefaultsLast) {
    Rig r;
    std::size_t commitsWhenWelcomed = 1;
    r.messages.onShow = [&](const MessageRequest&) { commitsWhenWelcomed = r.user.commits.size(); };
    ASSERT_TRUE(r.c.startUp());

    ASSERT_EQ(r.messages.shown.size(), 1u);
    const MessageRequest& m = r.messages.shown[0];
    EXPECT_EQ(std::make_tuple(m.title, m.icon),
              std::make_tuple("Welcome to Orvane", MsgIcon::Information));
    EXPECT_NE(m.text.find("system icon tray.\r\rTo move the window"), std::string::npos);
    EXPECT_EQ(commitsWhenWelcomed, 0u) << "nothing is written before the welcome is answered";

    // The first-run values in one commit, in order, "First Use" last; then the mode is applied.
    ASSERT_FALSE(r.user.commits.empty());
    EXPECT_EQ(r.user.commits[0], (Lines{"CompactX", "CompactY", "Display", "First Use"}));
    EXPECT_EQ(r.get({S::CompactX, S::Display, S::FirstUse}), "7680 0 1");

    // Full mode: the window first, then the icon, its tip set by the first display.
    EXPECT_EQ(r.journal.lines, (Lines{"wizard", "main.move", "main.show", "tray.add", "main.show",
                                      "main.status", "tray.modify", "main.front"}));
    EXPECT_EQ(r.tray.tip, kTip);
    EXPECT_EQ(r.c.lastUpdate(), 36000);

    // Any "First Use" but 1 is a first run again, and the defaults overwrite what was there.
    for (const char* marker : {"0", "2", "abc", ""}) {
        Rig again;
        again.put({{S::FirstUse, marker}, {S::CompactX, "99"}});
        ASSERT_TRUE(again.c.startUp());
        EXPECT_EQ(again.messages.shown.size(), 1u) << marker;
        EXPECT_EQ(again.get({S::CompactX}), "7680") << marker;
    }
}

TEST(StartUp, ASecondCopyOrAnUnreadableStoreIsNamed) {
    // A second copy says so and touches nothing.
    Rig second;
    second.instance.available = false;
    EXPECT_FALSE(second.c.startUp());
    ASSERT_EQ(second.messages.shown.size(), 1u);
    const MessageRequest& m = second.messages.shown[0];
    EXPECT_EQ(std::make_tuple(m.text, m.title, m.icon),
              std::make_tuple("Orvane already running.", "Orvane", MsgIcon::Exclamation));
    EXPECT_TRUE(second.journal.lines.empty() && !second.user.keyExists(kW));

    // An unreadable store is left as it is: no first run is made.
    Rig r;
    r.user.problemText = "it is a folder";
    r.user.failWrites = true;  // as the file store does over what it cannot read
    ASSERT_TRUE(r.c.startUp());
    ASSERT_EQ(r.messages.shown.size(), 1u);
    EXPECT_EQ(r.messages.shown[0].text,
              "Orvane cannot read its settings file memory: it is a folder.\r\rIt starts with its "
              "default settings and saves nothing there until the file can be read.");
    EXPECT_EQ(r.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(r.at("wizard"), r.journal.lines.size()) << "no first-run wizard";
    // Running on the defaults: Full mode, the status shown; nor does the store stop the end.
    EXPECT_TRUE(r.c.menu().full && r.main.visible);
    EXPECT_EQ(r.tray.tip, kTip);
    EXPECT_TRUE(r.c.requestClose(CloseReason::Session) && r.main.ended);
}

TEST(StartUp, RestoresModeOnTopAndStartWithDesktop) {
    // The mode a stored "Display" starts in (0 Full, 1 Compact, 2 Minimize), stored back so;
    // the last two are a hand-set number and a type that is not read.
    const std::pair<std::optional<RegValue>, int> rows[] = {
        // clang-format off
        {std::nullopt, 0}, {sz("0"), 0}, {sz("1"), 1}, {sz("2"), 2}, {sz("7"), 0}, {sz("abc"), 0},
        {RegValue{4, {1, 0, 0, 0}}, 1}, {RegValue{2, {'1', 0}}, 0},
        // clang-format on
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [display, mode] = rows[i];
        SCOPED_TRACE(i);
        Rig r(nullptr, false);
        r.put({{S::AlwaysOnTop, "-1"},
               {S::X, "1500"},
               {S::Y, "750.5"},
               {S::StartWithDesktop, "/usr/bin/orvane"}});
        if (display) r.user.setValue(kW, "Display", *display);
        // The look taken before start-up, to read the fonts ahead or not, agrees.
        EXPECT_EQ(static_cast<int>(storedDisplayMode(r.user)), mode);
        ASSERT_TRUE(r.c.startUp());
        const MenuState& m = r.c.menu();
        EXPECT_EQ(std::make_tuple(m.full, m.compact, m.minimize),
                  std::make_tuple(mode == 0, mode == 1, mode == 2));
        EXPECT_EQ(r.visible(), Shown(mode == 0, mode == 1));
        EXPECT_EQ(m.alwaysOnTopVisible, mode != 1);
        EXPECT_TRUE(m.alwaysOnTop && r.main.topMost && m.startWithDesktop);
        EXPECT_EQ(std::make_pair(r.main.pos.x, r.main.pos.y), std::make_pair(1500.0, 750.5));
        EXPECT_TRUE(r.messages.shown.empty());
        EXPECT_EQ(r.get({S::Display}), std::to_string(mode));
    }
}

TEST(DisplayModes, EachWindowGoesStraightToItsStateAndTheModeIsStoredOnce) {
    // A window shown and hidden in one switch flashes up under a window manager.
    auto flashed = [](const Lines& l, const std::string& window) {
        return std::count(l.begin(), l.end(), window + ".show") &&
               std::count(l.begin(), l.end(), window + ".hide");
    };
    const MenuItem modes[] = {MenuItem::Full, MenuItem::Compact, MenuItem::Minimize};
    for (const char* stored : {"0", "1", "2"}) {
        for (int to = 0; to < 3; ++to) {
            Rig r(stored);
            SCOPED_TRACE(std::string(stored) + " to " + std::to_string(to));
            for (const char* window : {"main", "compact"})
                EXPECT_FALSE(flashed(r.journal.lines, window)) << "at start";
            r.user.removeKey(kW);  // a switch recreates the keys a hand edit took away
            r.restart();
            r.c.onMenuItem(modes[to]);
            for (const char* window : {"main", "compact"})
                EXPECT_FALSE(flashed(r.journal.lines, window));
            EXPECT_EQ(r.visible(), Shown(to == 0, to == 1));
            EXPECT_EQ(r.user.commits, Commits{{"Display"}});
            EXPECT_EQ(r.get({S::Display}), std::to_string(to));
        }
    }
}

TEST(DisplayModes, MinimizeKeepsTheWindowWhileNoTrayShowsTheIcon) {
    Rig r("2", false);
    r.tray.trayExists = false;  // nothing to click in a tray: the window stays
    ASSERT_TRUE(r.c.startUp());
    EXPECT_EQ(r.visible(), Shown(true, false));
    // A tray that comes and goes (then the window is the way to the menu again); in the other
    // modes it changes nothing.
    const std::tuple<std::optional<MenuItem>, bool, Shown> steps[] = {
        // clang-format off
        {std::nullopt, true, {false, false}}, {std::nullopt, false, {true, false}},
        {MenuItem::Minimize, false, {true, false}}, {MenuItem::Compact, true, {false, true}},
        {MenuItem::Full, true, {true, false}}};
    // clang-format on
    for (const auto& [item, tray, shown] : steps) {
        r.tray.trayExists = tray;
        if (item) r.c.onMenuItem(*item);
        r.c.trayAvailabilityChanged();
        EXPECT_EQ(r.visible(), shown);
    }
}

TEST(Shutdown, CloseQuestionDependsOnTheReason) {
    using R = CloseReason;
    const std::tuple<CloseReason, MsgAnswer, bool, bool> rows[] = {
        {R::User, MsgAnswer::No, true, false},
        {R::User, MsgAnswer::Yes, true, true},
        {R::Program, MsgAnswer::No, false, true},
        {R::Session, MsgAnswer::No, false, true}};
    for (const auto& [reason, answer, asked, ends] : rows) {
        SCOPED_TRACE(static_cast<int>(reason));
        Rig r(nullptr);
        r.messages.answers = {answer};
        EXPECT_EQ(r.c.requestClose(reason), ends);
        EXPECT_EQ(r.messages.shown.size(), asked ? 1u : 0u);
        EXPECT_EQ(r.main.ended, ends);
        EXPECT_EQ(r.tray.shown, !ends);
        if (asked) {
            const MessageRequest& m = r.messages.shown[0];
            EXPECT_EQ(std::make_tuple(m.text, m.buttons, m.icon),
                      std::make_tuple("Are you sure you want to exit Orvane?", MsgButtons::YesNo,
                                      MsgIcon::Exclamation));
        }
    }
}

TEST(Shutdown, SavesTheNormalPositionsAndOnTopStateInOrder) {
    Rig r("2", false);
    r.user.putText(kW, "CompactY", "450");
    ASSERT_TRUE(r.c.startUp());
    r.main.pos = {1234.5, 60};
    r.restart();
    r.c.unload();
    EXPECT_EQ(r.journal.lines,
              (Lines{"tray.remove", "main.normal", "main.show", "main.events", "main.end"}));
    // No panel was made in Minimize mode: its place is the stored one, written back with the
    // others (anyone may have taken it out of the file meanwhile).
    const Commits oneCommit{{"X", "Y", "CompactX", "CompactY", "Always On Top"}};
    EXPECT_EQ(r.user.commits, oneCommit);
    EXPECT_EQ(r.get({S::X, S::CompactY, S::AlwaysOnTop}), "1234.5 450 0");

    // Shutdown cannot run twice, whatever asks for it next.
    r.c.unload();
    EXPECT_TRUE(r.c.requestClose(CloseReason::User));
    EXPECT_EQ(r.user.commits.size(), 1u);
    // In Compact mode the panel's place goes in the same commit.
    Rig c("1");
    c.compact.pos = {3000, 450};
    c.user.commits.clear();
    c.c.unload();
    EXPECT_EQ(c.user.commits, oneCommit);
    EXPECT_EQ(c.get({S::CompactX}), "3000");
}

// What the user changes on the windows is stored at once, not only at the end.
TEST(WindowSettings, DropsOnTopAndClosingOrExitingByThePanelAreStoredAtOnce) {
    Rig r("1");
    ASSERT_TRUE(r.compact.created);
    // A drop within 180 twips of the left or top edge snaps to it; at 180 it stays.
    const std::pair<TwipsPoint, const char*> drops[] = {
        {{179.5, 5000}, "0 5000"}, {{180, 179}, "180 0"}, {{200, 200}, "200 200"}};
    for (const auto& [dropped, place] : drops) {
        r.compact.pos = dropped;
        r.user.commits.clear();
        r.c.compactDragFinished();
        EXPECT_EQ(r.user.commits.size(), 1u);
        EXPECT_EQ(r.get({S::CompactX, S::CompactY}), place);
    }

    r.c.onMenuItem(MenuItem::AlwaysOnTop);
    EXPECT_TRUE(r.main.topMost);
    EXPECT_EQ(r.get({S::AlwaysOnTop}), "-1");
    // ... also after the key was deleted while the program ran.
    r.user.removeKey(kW);
    r.c.onMenuItem(MenuItem::AlwaysOnTop);
    EXPECT_EQ(r.get({S::AlwaysOnTop}), "0");

    // Closed by the window manager: the place is kept and the panel made anew there.
    r.compact.pos = {3000, 900};
    r.journal.lines.clear();
    r.c.compactClosed();
    EXPECT_EQ(r.get({S::CompactX}), "3000");
    EXPECT_TRUE(r.compact.created);
    EXPECT_EQ(r.compact.pos.x, 3000);
    EXPECT_LT(r.at("compact.destroy"), r.at("compact.create"));
    EXPECT_NE(r.at("main.front"), r.journal.lines.size());

    // Its double click asks; Yes saves its place and ends, and no new panel is made for the
    // moment before the end.
    r.compact.pos = {4500, 3000};
    r.journal.lines.clear();
    r.messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
    r.c.compactIconDoubleClicked();
    EXPECT_FALSE(r.main.ended);
    r.c.compactIconDoubleClicked();
    EXPECT_TRUE(r.main.ended);
    EXPECT_EQ(r.get({S::CompactX, S::CompactY}), "4500 3000");
    EXPECT_EQ(r.at("compact.create"), r.journal.lines.size());
}

TEST(TrayEvents, EachModeAndEventDoesWhatTheTableSays) {
    using M = MenuItem;
    using E = TrayEvent;
    const Lines none, front{"main.front"}, restore{"main.front", "main.normal", "main.show"};
    const std::tuple<MenuItem, TrayEvent, Lines> rows[] = {
        // clang-format off
        {M::Full, E::LeftButtonUp, none}, {M::Full, E::LeftDoubleClick, restore},
        {M::Full, E::RightButtonUp, {"main.front", "menu"}},
        {M::Compact, E::LeftButtonUp, {"compact.front"}}, {M::Compact, E::LeftDoubleClick, none},
        {M::Compact, E::RightButtonUp, {"menu"}},
        {M::Minimize, E::LeftButtonUp, none}, {M::Minimize, E::LeftDoubleClick, none},
        {M::Minimize, E::RightButtonUp, {"menu"}},
        // A StatusNotifierItem host's activation: the double click of Full, the click of Compact.
        {M::Full, E::Activate, restore}, {M::Compact, E::Activate, {"compact.front"}},
        {M::Minimize, E::Activate, none},
        // A host drawing the menu itself: what comes before our menu, without it.
        {M::Full, E::HostMenuOpening, front}, {M::Compact, E::HostMenuOpening, none},
        {M::Minimize, E::HostMenuOpening, none},
        // clang-format on
    };
    for (const auto& [mode, event, journal] : rows) {
        Rig r(nullptr);
        r.c.onMenuItem(mode);
        r.journal.lines.clear();
        r.c.onTrayEvent(event);
        EXPECT_EQ(r.journal.lines, journal)
            << static_cast<int>(mode) << " x " << static_cast<int>(event);
    }
}

TEST(MenuCommands, StartWithDesktopBelievesOnlyWhatReadsBack) {
    Rig r(nullptr, false);
    r.put({{S::StartWithDesktop, ""}});  // switched off: unchecked, as is an unset on-top
    r.c.setProgramPath("/usr/bin/orvane");
    ASSERT_TRUE(r.c.startUp());
    EXPECT_FALSE(r.c.menu().startWithDesktop || r.c.menu().alwaysOnTop || r.main.topMost);
    r.c.onMenuItem(MenuItem::StartWithDesktop);
    EXPECT_TRUE(r.c.menu().startWithDesktop);
    EXPECT_EQ(r.get({S::StartWithDesktop}), "/usr/bin/orvane");
    r.c.onMenuItem(MenuItem::StartWithDesktop);
    EXPECT_FALSE(r.c.menu().startWithDesktop);
    EXPECT_EQ(r.get({S::StartWithDesktop}), "");  // written empty, not deleted
    EXPECT_TRUE(r.messages.shown.empty());

    r.machine.failWrites = true;
    r.c.onMenuItem(MenuItem::StartWithDesktop);
    EXPECT_FALSE(r.c.menu().startWithDesktop);
    ASSERT_EQ(r.messages.shown.size(), 1u);
    EXPECT_EQ(r.messages.shown[0].icon, MsgIcon::Exclamation);

    // Where the program's own file is not known, "on" is never written as the empty value
    // that means "off" (and would mask a system-wide entry).
    r.machine.failWrites = false;
    r.c.setProgramPath("");
    r.machine.commits.clear();
    r.c.onMenuItem(MenuItem::StartWithDesktop);
    EXPECT_FALSE(r.c.menu().startWithDesktop);
    EXPECT_TRUE(r.machine.commits.empty());
    ASSERT_EQ(r.messages.shown.size(), 2u);
    EXPECT_NE(r.messages.shown[1].text.find("could not be switched on"), std::string::npos);
}

TEST(MenuCommands, RefreshRunsTheWholeHandlerAndLearnsNothingWithoutADrop) {
    Rig r;
    r.start("LowBatt=1 LowBattVal=90");
    r.clock.advance(30);
    r.journal.lines.clear();
    r.c.onMenuItem(MenuItem::Refresh);
    EXPECT_EQ(r.journal.lines, (Lines{"main.status", "tray.modify"}));
    EXPECT_EQ(r.c.lastUpdate(), 36030);
    EXPECT_EQ(r.get({S::Count}), "<absent>");
    ASSERT_EQ(r.messages.shown.size(), 1u);  // the alarm that held since start-up speaks now

    // A reading the source never reported (sysfs without a uevent) is read and shown.
    r.power.unheard = discharging(84, 7000);
    r.c.onMenuItem(MenuItem::Refresh);
    EXPECT_EQ(r.tray.tip, "Status: 84% Remaining | Time: 1:56 | Pwr: Battery");
}

}  // namespace
}  // namespace orvane
