#pragma once

#include <string>

namespace orvane {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { Information, Exclamation, Question };
enum class MsgAnswer { Ok, Yes, No };

struct MessageRequest {
    // A single character 13 in the text is a line break.
    std::string text;
    std::string title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::Information;
    // For YesNo boxes: which button Enter presses.
    MsgAnswer defaultButton = MsgAnswer::Yes;
};

// Modal message boxes. show() returns when the user has answered.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(const MessageRequest& request) = 0;
};

}  // namespace orvane
