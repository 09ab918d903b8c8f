#pragma once

#include <array>
#include <functional>

#include "core/alarms/msg_event.h"
#include "core/battery/display.h"
#include "core/store/settings_store.h"
#include "platform/power_status_source.h"

namespace orvane {

// In the order of kAlarmTable and of the alarm objects; each critical one follows its low one.
enum class AlarmKind {
    LowBattery,
    CriticalBattery,
    LowTime,
    CriticalTime,
    PowerSource,
    FullyCharged
};

struct AlarmInfo {
    AlarmKind kind;
    Setting enabled;
    // The threshold's setting, or the switch itself for the two alarms without one.
    Setting threshold;
    const char* headline;
    bool withAdvice;  // the headline is followed by the advice to change the power source
};

// The six alarms, in the order their messages are offered.
extern const std::array<AlarmInfo, 6> kAlarmTable;
// The message text an alarm shows above the status lines.
std::string alarmMessage(const AlarmInfo& alarm);

// The alarm objects and their three operations. The conditions compare the present
// reading with what the display still shows from the last update.
class Alarms {
public:
    Alarms(SettingsStore& store, PowerStatusSource& power, MessageBoxes& messages,
           std::function<StatusTexts()> shownTexts);

    void LoadAlarms();
    void CheckAlarms();
    void ShowAlarms();

private:
    AlarmEvent& event(AlarmKind kind) { return events_[static_cast<std::size_t>(kind)]; }

    SettingsStore& store_;
    PowerStatusSource& power_;
    std::function<StatusTexts()> shownTexts_;
    std::array<AlarmEvent, 6> events_;
};

}  // namespace orvane
