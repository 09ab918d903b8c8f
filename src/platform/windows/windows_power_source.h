#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/power_status_source.h"
#include "platform/windows/message_window.h"

namespace orvane {

// The power status from GetSystemPowerStatus, and a change notification from the
// WM_POWERBROADCAST messages a message-only window receives: the power source and battery
// percentage notifications it registers for, and the status-change broadcast where it is
// sent to the window. Each one reads the status again and tells the listener only when it
// has changed.
class WindowsPowerSource : public PowerStatusSource {
public:
    using Query = std::function<bool(SYSTEM_POWER_STATUS&)>;
    // `query` stands in for GetSystemPowerStatus in tests.
    explicit WindowsPowerSource(Query query = {});
    ~WindowsPowerSource() override;

    PowerSnapshot read() const override;
    void setChangeListener(std::function<void()> listener) override;

    HWND window() const { return window_->handle(); }

private:
    bool onMessage(UINT message, WPARAM wParam, LRESULT& result);
    PowerSnapshot query() const;

    Query query_;
    PowerSnapshot last_;
    std::function<void()> listener_;
    std::unique_ptr<MessageWindow> window_;
    HPOWERNOTIFY sourceNotify_ = nullptr;
    HPOWERNOTIFY percentNotify_ = nullptr;
};

}  // namespace orvane
