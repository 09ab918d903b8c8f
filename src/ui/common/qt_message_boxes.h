#pragma once

#include <functional>

#include "platform/message_boxes.h"

class QWidget;

namespace orvane {

// Modal QMessageBox for every message the program shows.
class QtMessageBoxes : public MessageBoxes {
public:
    // The window a box belongs to, and whether that window is kept above the others.
    struct Owner {
        QWidget* window = nullptr;
        bool onTop = false;
    };
    // Asked at each box: the program's windows come and go.
    void setOwner(std::function<Owner()> owner) { owner_ = std::move(owner); }

    MsgAnswer show(const MessageRequest& request) override;

private:
    std::function<Owner()> owner_;
};

}  // namespace orvane
