#pragma once

#include <functional>
#include <memory>

#include "platform/termination_requests.h"
#include "platform/windows/message_window.h"

namespace orvane {

// The end of the Windows session, from the broadcast every top-level window receives: the
// listener runs when the session really ends (WM_ENDSESSION), never on the question before.
class SessionEndWindow : public TerminationRequests {
public:
    SessionEndWindow();
    void setListener(std::function<void()> listener) override;
    HWND window() const { return window_->handle(); }

private:
    std::function<void()> listener_;
    std::unique_ptr<MessageWindow> window_;
};

}  // namespace orvane
