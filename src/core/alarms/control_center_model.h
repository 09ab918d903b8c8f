#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/store/settings_store.h"
#include "platform/message_boxes.h"
#include "platform/power_status_source.h"

namespace orvane {

// The six check boxes; the first four each switch a slider on and off.
enum class AlarmCheck {
    LowBatt,
    CriticalBatt,
    LowBattTime,
    CriticalBattTime,
    PowerSource,
    FullBatt
};
enum class AlarmSlider { LowBatt, CriticalBatt, LowBattTime, CriticalBattTime };

inline constexpr std::size_t kAlarmCheckCount = 6;
inline constexpr std::size_t kAlarmSliderCount = 4;

struct SliderState {
    int value = 0;
    int minimum = 0;
    int maximum = 100;
    int tickFrequency = 10;
    bool enabled = true;  // the slider and its value label alike
    std::string label;
};

// What the dialog needs from the rest of the program.
struct ControlCenterActions {
    std::function<void()> loadAlarms;
    std::function<void()> updateDisplay;
    std::function<void()> clearLastUpdate;
};

// The Control Center's state and rules, without widgets: a window shows this state and
// forwards each user action here.
class ControlCenterModel {
public:
    // Full battery times beyond this many minutes are held at it, so every value of a time
    // slider is a 16-bit minute count.
    static constexpr int kMaxFullTime = 32767;

    ControlCenterModel(SettingsStore& store, MessageBoxes& messages, PowerStatusSource& power,
                       ControlCenterActions actions);

    // Reads the store afresh; may show the two out-of-range messages.
    void load();
    void setChecked(AlarmCheck which, bool checked);
    // Any change of a slider's value, by the user or by the dialog itself.
    void setSliderValue(AlarmSlider which, int value);
    // Writes the ten settings and reloads the alarms; the window then closes.
    void ok();
    // Nothing is written and the alarms are not reloaded.
    void cancel() {}
    void moreInfo();
    void reset();

    bool checked(AlarmCheck which) const { return checks_[index(which)]; }
    const SliderState& slider(AlarmSlider which) const { return sliders_[index(which)]; }
    int fullBatteryTime() const { return fullTime_; }

    // The full battery time in minutes from a platform figure (seconds, -1 for none) and the
    // stored "Data" text.
    static int FullBatteryTime(std::int32_t batteryFullTimeSeconds, const std::string& dataText);

private:
    template <class E>
    static std::size_t index(E e) {
        return static_cast<std::size_t>(e);
    }
    SliderState& state(AlarmSlider which) { return sliders_[index(which)]; }
    void setMaximum(AlarmSlider which, int maximum);
    void applyRules(AlarmSlider which);
    void message(const std::string& text, MsgIcon icon);

    SettingsStore& store_;
    MessageBoxes& messages_;
    PowerStatusSource& power_;
    ControlCenterActions actions_;
    std::array<bool, kAlarmCheckCount> checks_{};
    std::array<SliderState, kAlarmSliderCount> sliders_{};
    int fullTime_ = 120;
};

}  // namespace orvane
