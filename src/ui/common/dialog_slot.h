#pragma once

#include <QPointer>
#include <QWidget>

namespace orvane {

// Keeps one modeless window of a kind: show() makes it on the first call (the window is
// expected to delete itself when it closes) and afterwards only brings the same window up.
template <class Window>
class DialogSlot {
public:
    template <class Make>
    Window* show(Make make) {
        if (!window_) window_ = make();
        window_->show();
        window_->raise();
        window_->activateWindow();
        return window_;
    }
    Window* window() const { return window_; }

private:
    QPointer<Window> window_;
};

}  // namespace orvane
