#pragma once

class QWidget;

namespace orvane {

// Keeps a window above all others, or lets it go.
class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    virtual void setAbove(QWidget& window, bool on) = 0;
};

// Through the window system's own "above" state (the window manager's _NET_WM_STATE on
// X11), without re-creating a window that is shown. A Wayland compositor may ignore it.
class NativeWindowStacking : public WindowStacking {
public:
    void setAbove(QWidget& window, bool on) override;
};

}  // namespace orvane
