// The power status from injected GetSystemPowerStatus answers, its notification through
// WM_POWERBROADCAST posted to the message-only window, the clock, and the end of the session.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "platform/windows/session_end_window.h"
#include "platform/windows/windows_clock.h"
#include "platform/windows/windows_power_source.h"

namespace orvane::test {
namespace {

SYSTEM_POWER_STATUS status(BYTE ac, BYTE flag, BYTE percent, DWORD life, DWORD full) {
    return {ac, flag, percent, 0, life, full};
}

// Each answer of GetSystemPowerStatus mapped field by field, with the special values; each
// broadcast reads again, and only a change is told.
TEST(PowerSource, EachBroadcastReadsAgainAndOnlyAChangeIsTold) {
    SYSTEM_POWER_STATUS now = status(0, 1, 85, 7530, 9000);
    bool answers = true;
    WindowsPowerSource source([&](SYSTEM_POWER_STATUS& s) {
        s = now;
        return answers;
    });
    ASSERT_TRUE(source.window());
    int told = 0;
    source.setChangeListener([&] { ++told; });

    const DWORD none = 0xFFFFFFFF;
    struct Step {
        SYSTEM_POWER_STATUS status;
        PowerSnapshot want;
        int told;  // so far
        WPARAM broadcast = PBT_APMPOWERSTATUSCHANGE;
        bool answers = true;  // false: the status cannot be read, and counts as unknown throughout
    };
    const Step steps[] = {
        {status(0, 1, 85, 7530, 9000), {0, 1, 85, 7530, 9000}, 0},  // nothing changed
        {status(0, 1, 84, 7400, 9000), {0, 1, 84, 7400, 9000}, 1},
        {status(1, 8, 40, none, none), {1, 8, 40, -1, -1}, 2},
        {status(1, 9, 100, none, 10800), {1, 9, 100, -1, 10800}, 3},
        {status(0, 0, 50, 3600, none), {0, 0, 50, 3600, -1}, 4},  // between low and high
        {status(1, 128, 255, none, none), {1, 128, 255, -1, -1}, 5},
        {status(255, 255, 255, none, none), {255, 255, 255, -1, -1}, 6},
        {status(7, 1, 101, 0x80000000, 0x7FFFFFFF), {255, 1, 255, -1, 0x7FFFFFFF}, 7},  // too big
        {status(0, 2, 0, 0, 0), {0, 2, 0, 0, 0}, 8},
        // A suspend notice is no status change; a setting's change is; the resume finds the
        // same status.
        {status(1, 9, 84, none, 9000), {1, 9, 84, -1, 9000}, 8, PBT_APMSUSPEND},
        {status(1, 9, 84, none, 9000), {1, 9, 84, -1, 9000}, 9, PBT_POWERSETTINGCHANGE},
        {status(1, 9, 84, none, 9000), {1, 9, 84, -1, 9000}, 9, PBT_APMRESUMEAUTOMATIC},
        {status(1, 9, 84, none, 9000), {}, 10, PBT_APMPOWERSTATUSCHANGE, false}};
    for (const Step& s : steps) {
        now = s.status;
        answers = s.answers;
        ASSERT_TRUE(PostMessageA(source.window(), WM_POWERBROADCAST, s.broadcast, 0));
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
        EXPECT_EQ(told, s.told) << "at " << &s - steps;
        EXPECT_EQ(source.read(), s.want) << "at " << &s - steps;
    }
}

// The machine's own power status and clocks, as they are.
TEST(Machine, RealPowerStatusAndClocks) {
    const PowerSnapshot s = WindowsPowerSource().read();
    EXPECT_TRUE(s.acStatus == 0 || s.acStatus == 1 || s.acStatus == 255);
    EXPECT_TRUE((s.batteryLifePercent >= 0 && s.batteryLifePercent <= 100) ||
                s.batteryLifePercent == 255);
    EXPECT_GE(s.batteryLifeTime, -1);
    WindowsClock clock;
    const double t = clock.secondsSinceMidnight();
    EXPECT_TRUE(t >= 0 && t < 86400) << t;
    const double awake = clock.awakeSeconds(), boot = clock.sinceBootSeconds();
    EXPECT_GT(awake, 0);
    EXPECT_LE(awake, boot + 1) << "the awake clock stands still in sleep, the other does not";
    // It moves on, in its own coarse steps: polled until it does, for 5 s at most.
    double later = awake;
    while ((later = clock.awakeSeconds()) <= awake && clock.sinceBootSeconds() < boot + 5) Sleep(1);
    EXPECT_GT(later, awake);
    EXPECT_GE(clock.sinceBootSeconds(), boot);
}

TEST(SessionEnd, OnlyTheRealEndCalls) {
    SessionEndWindow session;
    ASSERT_TRUE(session.window());
    int calls = 0;
    session.setListener([&] { ++calls; });
    EXPECT_EQ(SendMessageA(session.window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE)
        << "the program never holds the session up";
    EXPECT_EQ(calls, 0) << "the question is not the end";
    SendMessageA(session.window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(calls, 0) << "an end that was called off";
    SendMessageA(session.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace orvane::test
