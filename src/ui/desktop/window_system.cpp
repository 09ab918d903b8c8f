#include "ui/desktop/window_system.h"

#include <QWidget>
#include <QWindow>

namespace orvane {

void QtWindowSystem::setAbove(QWidget& window, bool on) {
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* native = window.windowHandle();
    if (native) {
        // QWidget::setWindowFlags would make a new native window, which a window manager
        // places anew, away from the window's place; the native window can change its state
        // in place, shown or hidden (then it goes out when the window is next shown). A
        // Wayland compositor may ignore it.
        window.overrideWindowFlags(flags);
        native->setFlags(flags);
    } else if (flags != window.windowFlags()) {
        window.setWindowFlags(flags);
    }
}

QPoint QtWindowSystem::position(const QWidget& window) const {
    return window.pos();
}

bool QtWindowSystem::startMove(QWidget& window, QPoint) {
    // Qt starts the move where the pointer is now, not where it was pressed.
    return window.windowHandle() && window.windowHandle()->startSystemMove();
}

}  // namespace orvane
