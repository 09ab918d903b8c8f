#pragma once

#include <QPoint>
#include <memory>

class QWidget;

namespace orvane {

// The window system's side of the program's top-level windows, beyond Qt's own idea of them.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Keeps a window above all others, or lets it go.
    virtual void setAbove(QWidget& window, bool on) = 0;
    // Where the window's frame really is. Qt's idea of it can be stale: under a reparenting
    // window manager it may take in a move the manager never made.
    virtual QPoint position(const QWidget& window) const = 0;
    // Hands a drag that began with the button pressed at `pressedAt` (global) to the window
    // manager, as a drag of a title bar: the window follows the pointer with the offset it had
    // at the press. False when there is none to take it.
    virtual bool startMove(QWidget& window, QPoint pressedAt) = 0;
    // The program put the window's frame at `frame` (global): where the window system shows
    // no frame sizes of its own, the first real place after it tells them.
    virtual void placed(const QWidget& window, QPoint frame) = 0;
    // The kind of window a small panel that floats on top must be to be placed and moved at
    // all; before it is shown, `prepareFloatingPanel` gives it what that kind lacks.
    virtual Qt::WindowType floatingPanelType() const { return Qt::Tool; }
    // Whether a window is shown where it asked to be, and moved where it asks to go. A wlroots
    // compositor (sway) centres a floating X window on the screen instead.
    virtual bool movesShownWindows() const { return true; }
    // Whether the place it reports for a window the user has not moved is where the window
    // shows. Under XWayland it can be the frame's first place: weston shows the window where
    // it asked to be and may leave X believing in the screen's corner.
    virtual bool knowsUntouchedPlaces() const { return movesShownWindows(); }
    virtual void prepareFloatingPanel(QWidget&) {}
    // Sends what was asked of the window system so far now, not when the event loop next
    // waits.
    virtual void sendPending() {}
};

// Through Qt alone: the window system's own "above" state (the window manager's
// _NET_WM_STATE on X11), and Qt's idea of the place.
class QtWindowSystem : public WindowSystem {
public:
    void setAbove(QWidget& window, bool on) override;
    QPoint position(const QWidget& window) const override;
    bool startMove(QWidget& window, QPoint pressedAt) override;
    void placed(const QWidget&, QPoint) override {}
};

// The one for the desktop this program was built for.
std::unique_ptr<WindowSystem> makeWindowSystem();

}  // namespace orvane
