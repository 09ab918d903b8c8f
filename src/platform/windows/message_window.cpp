#include "platform/windows/message_window.h"

#include <utility>

namespace orvane {

MessageWindow::MessageWindow(const char* className, Kind kind, Handler handler)
    : handler_(std::move(handler)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MessageWindow::proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);  // a second window of the class finds it registered
    const bool messageOnly = kind == Kind::MessageOnly;
    hwnd_ = CreateWindowExA(messageOnly ? 0 : WS_EX_TOOLWINDOW, className, "",
                            messageOnly ? 0 : WS_POPUP, 0, 0, 0, 0,
                            messageOnly ? HWND_MESSAGE : nullptr, nullptr, instance, this);
}

MessageWindow::~MessageWindow() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK MessageWindow::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->handler_ && self->handler_(message, wParam, lParam, result)) return result;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace orvane
