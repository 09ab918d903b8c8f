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
class clsMsgEvent {
public:
    clsMsgEvent(MessageBoxes& messages, std::function<StatusTexts()> shownTexts)
        : messages_(messages), shownTexts_(std::move(shownTexts)) {}

    void Enabled(bool vData) { enabled_ = vData; }
    void ShowMsg();
    void MsgString(std::string vData) { message_ = std::move(vData); }
    void SetCondition(bool condition) { condition_ = condition; }
    bool Condition() const { return condition_; }

private:
    MessageBoxes& messages_;
    std::function<StatusTexts()> shownTexts_;
    bool condition_ = false;
    std::string message_;
    bool enabled_ = false;
    bool shown_ = false;
};

}  // namespace orvane
