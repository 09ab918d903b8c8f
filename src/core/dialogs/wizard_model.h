#pragma once

#include <string>

#include "core/store/settings_store.h"
#include "platform/message_boxes.h"

namespace orvane {

// The first-use wizard's rules: the time label and what Done writes. Closing the wizard any
// other way writes nothing, so there is no operation for it.
class WizardModel {
public:
    static constexpr int kMinMinutes = 0;
    static constexpr int kMaxMinutes = 600;
    static constexpr int kSmallStep = 15;
    static constexpr int kLargeStep = 60;

    WizardModel(SettingsStore& store, MessageBoxes& messages)
        : store_(store), messages_(messages) {}

    int minutes() const { return minutes_; }
    // "N/A" until the slider first moves.
    const std::string& timeLabel() const { return label_; }
    void sliderMoved(int minutes);
    // Writes "Data" and "Count"; the window closes afterwards.
    void done();

    // "N/A" for 0 (no time given), else H:MM.
    static std::string TimeLabel(int minutes);

private:
    SettingsStore& store_;
    MessageBoxes& messages_;
    int minutes_ = 0;
    std::string label_ = "N/A";
};

}  // namespace orvane
