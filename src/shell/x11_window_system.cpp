#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "shell/window_system.h"

namespace orvane {
namespace {

// Asks the X server where a window is. Qt keeps the place its last ConfigureNotify gave, and
// reads a real one by asking the server when it handles it: a window manager that has just
// reparented the window into a frame not yet moved into place makes Qt believe in (0,0), and
// no later event corrects it once the frame lands where the window asked to be.
class X11WindowSystem : public QtWindowSystem {
public:
    QPoint position(const QWidget& window) const override {
        // Qt's offscreen platform offers the same native interface without a display.
        const auto* x11 = QGuiApplication::platformName() == QLatin1String("xcb")
                              ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                              : nullptr;
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        const WId id = window.internalWinId();
        if (!c || !id) return QtWindowSystem::position(window);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
            xcb_translate_coordinates_reply(
                c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(id), root, 0, 0),
                nullptr),
            &std::free);
        if (!origin) return QtWindowSystem::position(window);
        // The server knows the client area; the place Qt and the store mean is the frame's.
        const QPoint client =
            (QPointF(origin->dst_x, origin->dst_y) / window.devicePixelRatioF()).toPoint();
        return client - (window.geometry().topLeft() - window.frameGeometry().topLeft());
    }
};

}  // namespace

std::unique_ptr<WindowSystem> makeWindowSystem() {
    return std::make_unique<X11WindowSystem>();
}

}  // namespace orvane
