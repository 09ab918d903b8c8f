#include "platform/windows/session_end_window.h"

#include <utility>

namespace orvane {

SessionEndWindow::SessionEndWindow() {
    window_ = std::make_unique<MessageWindow>(
        "OrvaneSessionEnd", MessageWindow::Kind::HiddenTopLevel,
        [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
            if (message == WM_QUERYENDSESSION) {
                result = TRUE;
                return true;
            }
            if (message == WM_ENDSESSION) {
                if (wParam && listener_) listener_();
                result = 0;
                return true;
            }
            return false;
        });
}

void SessionEndWindow::setListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

}  // namespace orvane
