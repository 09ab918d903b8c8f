#pragma once

#include "platform/message_boxes.h"

namespace orvane {

// Modal QMessageBox for every message the program shows.
class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer show(const MessageRequest& request) override;
};

}  // namespace orvane
