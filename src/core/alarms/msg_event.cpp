#include "core/alarms/msg_event.h"

namespace orvane {

std::string FormatStatusText(const StatusTexts& shown) {
    const std::string* values[3] = {&shown.status, &shown.time, &shown.power};
    std::string text;
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0) text += '\r';
        text += std::string("  ") + kStatusPrompts[i] + " " + *values[i];
    }
    return text;
}

void AlarmEvent::showIfDue() {
    if (!enabled_) return;
    if (condition_ && !shown_) {
        const std::string prompt =
            message_ + "\r\rCurrent status: \r" + FormatStatusText(shownTexts_());
        messages_.show({prompt, "Orvane", MsgButtons::Ok, MsgIcon::Information});
        // Marked only once the box is closed: it is one occurrence, however long it stays.
        shown_ = true;
        return;
    }
    if (!condition_) shown_ = false;
}

}  // namespace orvane
