#include "core/alarms/alarms.h"

#include "core/battery/battery_time.h"

namespace orvane {

namespace {
constexpr const char* kAdvice =
    "You should change to a new battery of switch to outlet power to prevent data lost.";
}  // namespace

const std::array<AlarmInfo, 6> kAlarmTable{{
    {AlarmKind::LowBattery, Setting::LowBatt, Setting::LowBattVal, "Low battery.", true},
    {AlarmKind::CriticalBattery, Setting::CriticalBatt, Setting::CriticalBattVal,
     "Critical battery.", true},
    {AlarmKind::LowTime, Setting::LowBattTime, Setting::LowBattTimeVal, "Low battery time.", true},
    {AlarmKind::CriticalTime, Setting::CriticalBattTime, Setting::CriticalBattTimeVal,
     "Critical battery time.", true},
    {AlarmKind::PowerSource, Setting::PowerSourceChange, Setting::PowerSourceChange,
     "Power source change detected.", false},
    {AlarmKind::FullyCharged, Setting::BatteryFullyCharged, Setting::BatteryFullyCharged,
     "Battery is now fully charged.", false},
}};

std::string alarmMessage(const AlarmInfo& a) {
    return a.withAdvice ? std::string(a.headline) + "\r\r" + kAdvice : std::string(a.headline);
}

Alarms::Alarms(SettingsStore& store, PowerStatusSource& power, MessageBoxes& messages,
               std::function<StatusTexts()> shownTexts)
    : store_(store),
      power_(power),
      shownTexts_(shownTexts),
      events_{{{messages, shownTexts},
               {messages, shownTexts},
               {messages, shownTexts},
               {messages, shownTexts},
               {messages, shownTexts},
               {messages, shownTexts}}} {}

void Alarms::LoadAlarms() {
    for (std::size_t i = 0; i < events_.size(); ++i) {
        events_[i].setEnabled(store_.get(kAlarmTable[i].enabled).toBool());
        events_[i].setMessage(alarmMessage(kAlarmTable[i]));
    }
}

void Alarms::CheckAlarms() {
    const PowerSnapshot p = power_.read();
    const StatusTexts shown = shownTexts_();
    const double percent = p.batteryLifePercent;
    const auto threshold = [this](AlarmKind k) {
        return store_.get(kAlarmTable[static_cast<std::size_t>(k)].threshold).toNumber();
    };
    const std::int16_t minutes = GetBatteryTime(store_, p);

    using K = AlarmKind;
    event(K::LowBattery).setCondition(percent <= threshold(K::LowBattery));
    event(K::CriticalBattery).setCondition(percent <= threshold(K::CriticalBattery));
    event(K::LowTime).setCondition(minutes <= threshold(K::LowTime) && minutes > 0);
    event(K::CriticalTime).setCondition(minutes <= threshold(K::CriticalTime) && minutes > 0);
    event(K::PowerSource).setCondition(p.acStatus != GetPowerSourceCode(shown.power));
    event(K::FullyCharged)
        .setCondition(LeadingNumber(shown.status) != 100 && p.batteryLifePercent == 100);
}

void Alarms::ShowAlarms() {
    for (std::size_t i = 0; i < events_.size(); ++i) {
        // Of a low/critical pair that both hold, only the critical one may speak.
        const auto kind = static_cast<AlarmKind>(i);
        const bool lowOfPair = kind == AlarmKind::LowBattery || kind == AlarmKind::LowTime;
        if (lowOfPair && events_[i].condition() && events_[i + 1].condition()) {
            events_[i + 1].showIfDue();
        } else {
            events_[i].showIfDue();
        }
    }
}

}  // namespace orvane
