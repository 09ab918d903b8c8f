#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orvane {

// A window of the calling thread that only receives messages, handing each to a handler;
// the thread's message loop (Qt's, or a test's) delivers them. A message-only window gets
// what is sent to it; a hidden top-level one also gets what Windows broadcasts to all
// windows, such as the end of the session.
class MessageWindow {
public:
    using Handler = std::function<bool(UINT message, WPARAM, LPARAM, LRESULT& result)>;
    enum class Kind { MessageOnly, HiddenTopLevel };

    MessageWindow(const char* className, Kind kind, Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    Handler handler_;
    HWND hwnd_ = nullptr;
};

}  // namespace orvane
