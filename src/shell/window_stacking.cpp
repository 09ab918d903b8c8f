#include "shell/window_stacking.h"

#include <QWidget>
#include <QWindow>

namespace orvane {

void NativeWindowStacking::setAbove(QWidget& window, bool on) {
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* native = window.windowHandle();
    if (native && window.isVisible()) {
        // QWidget::setWindowFlags would hide and re-map a shown window; the native window
        // can change its state in place.
        window.overrideWindowFlags(flags);
        native->setFlags(flags);
    } else if (flags != window.windowFlags()) {
        window.setWindowFlags(flags);  // hidden: the state goes out when it is next shown
    }
}

}  // namespace orvane
