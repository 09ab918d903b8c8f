#pragma once

#include <functional>
#include <string>

#include "core/battery/display.h"
#include "platform/message_boxes.h"

namespace orvane {

// The three status lines of an alarm message, as the main window shows them now.
std::string FormatStatusText(const StatusTexts& shown);

// One alarm: shows its message once per occurrence of its condition, and re-arms only
// when it has seen the condition gone while switched on.
class AlarmEvent {
public:
    AlarmEvent(MessageBoxes& messages, std::function<StatusTexts()> shownTexts)
        : messages_(messages), shownTexts_(std::move(shownTexts)) {}

    void setEnabled(bool value) { enabled_ = value; }
    void showIfDue();
    void setMessage(std::string value) { message_ = std::move(value); }
    void setCondition(bool condition) { condition_ = condition; }
    bool condition() const { return condition_; }

private:
    MessageBoxes& messages_;
    std::function<StatusTexts()> shownTexts_;
    bool condition_ = false;
    std::string message_;
    bool enabled_ = false;
    bool shown_ = false;
};

}  // namespace orvane
