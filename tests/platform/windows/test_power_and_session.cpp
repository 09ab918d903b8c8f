// The power status from injected GetSystemPowerStatus answers, its notification through
// WM_POWERBROADCAST posted to the message-only window, the clock, and the end of the session.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "platform/windows/power_mapping.h"
#include "platform/windows/session_end_window.h"
#include "platform/windows/windows_clock.h"
#include "platform/windows/windows_power_source.h"

namespace orvane::test {
namespace {

SYSTEM_POWER_STATUS status(BYTE ac, BYTE flag, BYTE percent, DWORD life, DWORD full) {
    return {ac, flag, percent, 0, life, full};
}

// Delivers every message waiting for this thread's windows.
void pumpMessages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

TEST(PowerMapping, FieldByFieldWithTheSpecialValues) {
    const DWORD none = 0xFFFFFFFF;
    const std::pair<SYSTEM_POWER_STATUS, PowerSnapshot> cases[] = {
        {status(0, 1, 85, 7530, 9000), {0, 1, 85, 7530, 9000}},
        {status(1, 8, 40, none, none), {1, 8, 40, -1, -1}},
        {status(1, 9, 100, none, 10800), {1, 9, 100, -1, 10800}},
        {status(0, 0, 50, 3600, none), {0, 0, 50, 3600, -1}},  // between low and high
        {status(0, 6, 3, 300, none), {0, 6, 3, 300, -1}},      // low and critical
        {status(1, 128, 255, none, none), {1, 128, 255, -1, -1}},
        {status(255, 255, 255, none, none), {255, 255, 255, -1, -1}},
        {status(7, 1, 101, 0x80000000, 0x7FFFFFFF), {255, 1, 255, -1, 0x7FFFFFFF}},  // out of range
        {status(0, 2, 0, 0, 0), {0, 2, 0, 0, 0}}};
    for (const auto& [in, want] : cases) {
        EXPECT_EQ(snapshotFrom(in), want) << int(in.ACLineStatus) << "/" << int(in.BatteryFlag)
                                          << "/" << int(in.BatteryLifePercent);
    }
}

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
    EXPECT_EQ(source.read(), (PowerSnapshot{0, 1, 85, 7530, 9000}));

    const auto broadcast = [&](WPARAM what) {
        ASSERT_TRUE(PostMessageA(source.window(), WM_POWERBROADCAST, what, 0));
        pumpMessages();
    };
    broadcast(PBT_APMPOWERSTATUSCHANGE);
    EXPECT_EQ(told, 0) << "nothing changed";

    now = status(0, 1, 84, 7400, 9000);
    broadcast(PBT_APMPOWERSTATUSCHANGE);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(source.read().batteryLifePercent, 84);

    now = status(1, 9, 84, 0xFFFFFFFF, 9000);
    broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(told, 1) << "a suspend notice is no status change";
    broadcast(PBT_POWERSETTINGCHANGE);
    EXPECT_EQ(told, 2);
    broadcast(PBT_APMRESUMEAUTOMATIC);
    EXPECT_EQ(told, 2) << "the same status after the resume";

    // A status that cannot be read counts as unknown throughout.
    answers = false;
    broadcast(PBT_APMPOWERSTATUSCHANGE);
    EXPECT_EQ(told, 3);
    EXPECT_EQ(source.read(), PowerSnapshot{});
}

TEST(PowerSource, TheRealStatusReadsInRange) {
    WindowsPowerSource source;
    const PowerSnapshot s = source.read();
    EXPECT_TRUE(s.acStatus == 0 || s.acStatus == 1 || s.acStatus == 255);
    EXPECT_TRUE((s.batteryLifePercent >= 0 && s.batteryLifePercent <= 100) ||
                s.batteryLifePercent == 255);
    EXPECT_GE(s.batteryLifeTime, -1);
}

TEST(Clock, TimeOfDayAndTheTwoSteadyClocks) {
    WindowsClock clock;
    const double t = clock.secondsSinceMidnight();
    EXPECT_TRUE(t >= 0 && t < 86400) << t;
    const double awake = clock.awakeSeconds(), boot = clock.sinceBootSeconds();
    EXPECT_GT(awake, 0);
    EXPECT_LE(awake, boot + 1) << "the awake clock stands still in sleep, the other does not";
    Sleep(20);
    EXPECT_GT(clock.awakeSeconds(), awake);
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
