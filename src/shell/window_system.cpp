#include "shell/window_system.h"

#include <QWidget>
#include <QWindow>

namespace orvane {

void QtWindowSystem::setAbove(QWidget& window, bool on) {
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* native = window.windowHandle();
    if (native && window.isVisible()) {
        // QWidget::setWindowFlags would hide and re-map a shown window; the native window
        // can change its state in place. A Wayland compositor may ignore it.
        window.overrideWindowFlags(flags);
        native->setFlags(flags);
    } else if (flags != window.windowFlags()) {
        window.setWindowFlags(flags);  // hidden: the state goes out when it is next shown
    }
}

QPoint QtWindowSystem::position(const QWidget& window) const {
    return window.pos();
}

}  // namespace orvane
