#include "core/alarms/control_center_model.h"

#include <algorithm>
#include <climits>

#include "core/battery/decimal.h"
#include "core/battery/display.h"
#include "core/program.h"

namespace orvane {

namespace {

constexpr const char* kLowTimeReset =
    "Saved low battery time alarm value is greater than the estimated full battery time. "
    "The value has been resetted.";
constexpr const char* kCriticalTimeReset =
    "Saved critical battery time alarm value is greater than the estimated full battery time. "
    "The value has been resetted.";
constexpr const char* kMoreInfo =
    "By clicking Reset, the stored data that is used to estimate the remaining battery time "
    "will be resetted. Do this only when:\r\r"
    "1. You replace the old bettery with a new one\r"
    "2. The displayed battery time is apparently incorrect (eg. when your battery start to get "
    "old)";
constexpr const char* kResetQuestion = "Are you sure you want to reset the battery time data?";
constexpr const char* kResetDone = "Battery time data successfully resetted.";

constexpr int kNoFullTime = 120;

// num / den for non-negative whole numbers, halves to even; exact where a double product
// such as 50 * 0.03 would land just below the half.
std::int64_t ratioHalfEven(std::int64_t num, std::int64_t den) {
    const std::int64_t q = num / den;
    const std::int64_t twice = 2 * (num % den);
    if (twice > den || (twice == den && q % 2 != 0)) return q + 1;
    return q;
}

bool isTimeSlider(AlarmSlider s) {
    return s == AlarmSlider::LowBattTime || s == AlarmSlider::CriticalBattTime;
}

int wholeNumber(double v) {
    return static_cast<int>(roundHalfEvenClamped(v, INT_MIN, INT_MAX));
}

}  // namespace

ControlCenterModel::ControlCenterModel(SettingsStore& store, MessageBoxes& messages,
                                       PowerStatusSource& power, ControlCenterActions actions)
    : store_(store), messages_(messages), power_(power), actions_(std::move(actions)) {
    sliders_[index(AlarmSlider::LowBatt)] = {10, 0, 100, 10, true, "10%"};
    sliders_[index(AlarmSlider::CriticalBatt)] = {3, 0, 100, 10, true, "3%"};
    sliders_[index(AlarmSlider::LowBattTime)] = {25, 0, 100, 15, true, "0:25"};
    sliders_[index(AlarmSlider::CriticalBattTime)] = {10, 0, 100, 15, true, "0:10"};
}

int ControlCenterModel::FullBatteryTime(std::int32_t seconds, const std::string& dataText) {
    std::int64_t minutes = 0;
    if (seconds == -1) {
        const Decimal scaled = roundHalfEven(parseDecimal(dataText).value_or(Decimal(0)) * 100);
        if (scaled >= kMaxFullTime) {
            minutes = kMaxFullTime;
        } else if (scaled > 0) {
            minutes = scaled.toInt64();
        }
    } else if (seconds > 0) {
        minutes = std::min<std::int64_t>(ratioHalfEven(seconds, 60), kMaxFullTime);
    }
    return minutes == 0 ? kNoFullTime : static_cast<int>(minutes);
}

void ControlCenterModel::load() {
    const auto stored = [this](Setting s) { return store_.get(s).toNumber(); };
    const auto storedCheck = [this](Setting s) { return store_.get(s).toInt16() != 0; };

    setChecked(AlarmCheck::LowBatt, storedCheck(Setting::LowBatt));
    const double lowVal = stored(Setting::LowBattVal);
    if (lowVal <= 100 && lowVal > 0) setSliderValue(AlarmSlider::LowBatt, wholeNumber(lowVal));

    setChecked(AlarmCheck::CriticalBatt, storedCheck(Setting::CriticalBatt));
    const double criticalVal = stored(Setting::CriticalBattVal);
    if (criticalVal <= 100 && criticalVal <= slider(AlarmSlider::LowBatt).value) {
        setSliderValue(AlarmSlider::CriticalBatt, wholeNumber(criticalVal));
    }

    fullTime_ = FullBatteryTime(power_.read().batteryFullTime, store_.get(Setting::Data).toText());
    // The design range ends at 100 minutes; a restored value beyond it must not be clamped.
    setMaximum(AlarmSlider::LowBattTime, fullTime_);
    setMaximum(AlarmSlider::CriticalBattTime, fullTime_);

    setChecked(AlarmCheck::LowBattTime, storedCheck(Setting::LowBattTime));
    const double lowTime = stored(Setting::LowBattTimeVal);
    if (lowTime <= fullTime_ && lowTime > 0) {
        setSliderValue(AlarmSlider::LowBattTime, wholeNumber(lowTime));
    } else if (lowTime != 0) {
        message(kLowTimeReset, MsgIcon::Exclamation);
        setSliderValue(AlarmSlider::LowBattTime, static_cast<int>(ratioHalfEven(fullTime_, 10)));
    }

    setChecked(AlarmCheck::CriticalBattTime, storedCheck(Setting::CriticalBattTime));
    const double criticalTime = stored(Setting::CriticalBattTimeVal);
    if (criticalTime <= fullTime_ && criticalTime <= slider(AlarmSlider::LowBattTime).value) {
        setSliderValue(AlarmSlider::CriticalBattTime, wholeNumber(criticalTime));
    } else if (criticalTime != 0) {
        message(kCriticalTimeReset, MsgIcon::Exclamation);
        setSliderValue(AlarmSlider::CriticalBattTime,
                       static_cast<int>(ratioHalfEven(std::int64_t(fullTime_) * 3, 100)));
    }

    setChecked(AlarmCheck::PowerSource, storedCheck(Setting::PowerSourceChange));
    setChecked(AlarmCheck::FullBatt, storedCheck(Setting::BatteryFullyCharged));
}

void ControlCenterModel::setChecked(AlarmCheck which, bool on) {
    checks_[index(which)] = on;
    if (index(which) < kAlarmSliderCount) sliders_[index(which)].enabled = on;
}

void ControlCenterModel::setSliderValue(AlarmSlider which, int value) {
    SliderState& s = state(which);
    value = std::clamp(value, s.minimum, s.maximum);
    if (value == s.value) return;
    s.value = value;
    applyRules(which);
}

void ControlCenterModel::setMaximum(AlarmSlider which, int maximum) {
    SliderState& s = state(which);
    s.maximum = maximum;
    if (maximum < 60) s.tickFrequency = static_cast<int>(ratioHalfEven(maximum, 4));
    if (s.value > maximum) setSliderValue(which, maximum);
}

void ControlCenterModel::applyRules(AlarmSlider which) {
    SliderState& s = state(which);
    s.label = isTimeSlider(which) ? TimeText(s.value) : std::to_string(s.value) + "%";
    switch (which) {
        case AlarmSlider::LowBatt:
        case AlarmSlider::LowBattTime:
            if (s.value == 0) setSliderValue(which, 1);
            break;
        case AlarmSlider::CriticalBatt: {
            const int low = slider(AlarmSlider::LowBatt).value;
            if (s.value > low) setSliderValue(which, low);
            break;
        }
        case AlarmSlider::CriticalBattTime: {
            const int low = slider(AlarmSlider::LowBattTime).value;
            if (s.value > low) setSliderValue(which, low);
            break;
        }
    }
}

void ControlCenterModel::ok() {
    const auto flag = [this](AlarmCheck c) { return std::string(checked(c) ? "1" : "0"); };
    const auto value = [this](AlarmSlider s) { return std::to_string(slider(s).value); };
    store_.save({
        {Setting::LowBatt, flag(AlarmCheck::LowBatt)},
        {Setting::LowBattVal, value(AlarmSlider::LowBatt)},
        {Setting::CriticalBatt, flag(AlarmCheck::CriticalBatt)},
        {Setting::CriticalBattVal, value(AlarmSlider::CriticalBatt)},
        {Setting::LowBattTime, flag(AlarmCheck::LowBattTime)},
        {Setting::LowBattTimeVal, value(AlarmSlider::LowBattTime)},
        {Setting::CriticalBattTime, flag(AlarmCheck::CriticalBattTime)},
        {Setting::CriticalBattTimeVal, value(AlarmSlider::CriticalBattTime)},
        {Setting::PowerSourceChange, flag(AlarmCheck::PowerSource)},
        {Setting::BatteryFullyCharged, flag(AlarmCheck::FullBatt)},
    });
    if (actions_.loadAlarms) actions_.loadAlarms();
}

void ControlCenterModel::moreInfo() {
    message(kMoreInfo, MsgIcon::Information);
}

void ControlCenterModel::reset() {
    MessageRequest question{kResetQuestion, kAppTitle, MsgButtons::YesNo, MsgIcon::Question,
                            MsgAnswer::No};
    if (messages_.show(question) != MsgAnswer::Yes) return;
    store_.save({{Setting::Data, "0"}, {Setting::Count, "0"}});
    if (actions_.updateDisplay) actions_.updateDisplay();
    if (actions_.clearLastUpdate) actions_.clearLastUpdate();
    message(kResetDone, MsgIcon::Information);
}

void ControlCenterModel::message(const std::string& text, MsgIcon icon) {
    messages_.show(MessageRequest{text, kAppTitle, MsgButtons::Ok, icon, MsgAnswer::Ok});
}

}  // namespace orvane
