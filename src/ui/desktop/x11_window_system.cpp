#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/desktop/window_system.h"

namespace orvane {
namespace {

template <class Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
Owned<Reply> own(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

// What Qt leaves to the X server itself: where a window really is, and a window manager's
// move started from the press.
class X11WindowSystem : public QtWindowSystem {
public:
    // Qt keeps the place its last ConfigureNotify gave, and reads a real one by asking the
    // server when it handles it: a window manager that has just reparented the window into a
    // frame not yet moved into place makes Qt believe in (0,0), and no later event corrects it
    // once the frame lands where the window asked to be.
    QPoint position(const QWidget& window) const override {
        xcb_connection_t* c = connection();
        const WId id = window.internalWinId();
        if (!c || !id) return QtWindowSystem::position(window);
        const auto origin = own(xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(id), root(c), 0, 0),
            nullptr));
        if (!origin) return QtWindowSystem::position(window);
        // The server knows the client area; the place Qt and the store mean is the frame's.
        const QPoint client =
            (QPointF(origin->dst_x, origin->dst_y) / window.devicePixelRatioF()).toPoint();
        return client - frameOffset(c, window, client);
    }

    void placed(const QWidget& window, QPoint frame) override {
        const auto [it, first] = placements_.try_emplace(&window);
        it->second.frame = frame;
        it->second.pending = true;
        if (first) {
            QObject::connect(&window, &QObject::destroyed, &context_,
                             [this, key = &window] { placements_.erase(key); });
        }
    }

    // weston's XWayland window manager treats a utility window as no window of its own: it is
    // neither placed where asked nor moved, and its place is not known to X.
    Qt::WindowType floatingPanelType() const override {
        xcb_connection_t* c = connection();
        return c && isXWayland(c) ? Qt::Window : Qt::Tool;
    }

    bool movesShownWindows() const override {
        xcb_connection_t* c = connection();
        return !c || windowManagerName(c) != "wlroots wm";
    }

    bool knowsUntouchedPlaces() const override {
        xcb_connection_t* c = connection();
        return !c || !isXWayland(c);
    }

    // An ordinary window has no place in a taskbar or a pager when it is a floating panel.
    void prepareFloatingPanel(QWidget& window) override {
        xcb_connection_t* c = connection();
        if (!c || !isXWayland(c)) return;
        const auto id = static_cast<xcb_window_t>(window.winId());
        const xcb_atom_t states[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                     atom(c, "_NET_WM_STATE_SKIP_PAGER")};
        xcb_change_property(c, XCB_PROP_MODE_APPEND, id, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM,
                            32, 2, states);
    }

    // As Qt's own request, but from the press: a window manager that takes the pointer where
    // it is now keeps the way the pointer went before the drag counted as one, and the window
    // then lags behind it.
    bool startMove(QWidget& window, QPoint pressedAt) override {
        xcb_connection_t* c = connection();
        const WId id = window.internalWinId();
        if (!c || !id) return QtWindowSystem::startMove(window, pressedAt);
        const xcb_atom_t moveResize = atom(c, "_NET_WM_MOVERESIZE");
        if (!supported(c, moveResize)) return false;
        const QPoint at = (QPointF(pressedAt) * window.devicePixelRatioF()).toPoint();
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = static_cast<xcb_window_t>(id);
        message.type = moveResize;
        message.data.data32[0] = static_cast<std::uint32_t>(at.x());
        message.data.data32[1] = static_cast<std::uint32_t>(at.y());
        message.data.data32[2] = 8;  // a move
        message.data.data32[3] = XCB_BUTTON_INDEX_1;
        message.data.data32[4] = 1;  // asked by an application
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        xcb_send_event(c, false, root(c),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
        return true;
    }

    void sendPending() override {
        if (xcb_connection_t* c = connection()) xcb_flush(c);
    }

private:
    struct Placement {
        QPoint frame;
        bool pending = false;
        std::optional<QPoint> offset;
    };

    // What lies between the frame's corner and the window's own: the window manager's
    // _NET_FRAME_EXTENTS where it gives them, nothing for a window without a frame, else what
    // was seen once the window stood where it was put (weston's XWayland gives no extents, and
    // Qt's guess then takes in the frame's invisible shadow).
    QPoint frameOffset(xcb_connection_t* c, const QWidget& window, QPoint client) const {
        if (window.windowFlags() & Qt::FramelessWindowHint) return {};
        const auto id = static_cast<xcb_window_t>(window.internalWinId());
        const auto extents = own(xcb_get_property_reply(
            c,
            xcb_get_property(c, false, id, atom(c, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4),
            nullptr));
        if (extents && extents->format == 32 &&
            xcb_get_property_value_length(extents.get()) == 16) {
            const auto* v =
                static_cast<const std::uint32_t*>(xcb_get_property_value(extents.get()));
            return (QPointF(v[0], v[2]) / window.devicePixelRatioF()).toPoint();
        }
        const auto it = placements_.find(&window);
        if (it == placements_.end())
            return window.geometry().topLeft() - window.frameGeometry().topLeft();
        Placement& p = it->second;
        // Not yet in a frame, the window stands where it asked to be and shows no frame at
        // all: the first look inside a frame decides.
        if (!p.offset && p.pending && framed(c, id)) {
            // Only what a frame can be: a window already moved elsewhere teaches nothing.
            const QPoint seen = client - p.frame;
            if (seen.x() >= 0 && seen.x() <= kMaxFrame && seen.y() >= 0 && seen.y() <= kMaxFrame)
                p.offset = seen;
            p.pending = false;
        }
        return p.offset.value_or(window.geometry().topLeft() - window.frameGeometry().topLeft());
    }

    static bool framed(xcb_connection_t* c, xcb_window_t id) {
        const auto tree = own(xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr));
        return tree && tree->parent != tree->root;
    }

    // XWayland from 23.1 says so with an extension; before that, a Wayland display beside the
    // X one is the sign.
    static bool isXWayland(xcb_connection_t* c) {
        const char name[] = "XWAYLAND";
        const auto reply = own(
            xcb_query_extension_reply(c, xcb_query_extension(c, sizeof name - 1, name), nullptr));
        return (reply && reply->present) || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    }

    static constexpr int kMaxFrame = 64;
    mutable std::map<const QWidget*, Placement> placements_;
    QObject context_;  // ends the clean-up connections with this object

    static xcb_connection_t* connection() {
        // Qt's offscreen platform offers the same native interface without a display.
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }

    static xcb_window_t root(xcb_connection_t* c) {
        return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }

    static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
        const auto reply = own(xcb_intern_atom_reply(
            c, xcb_intern_atom(c, false, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    // The running window manager's _NET_WM_NAME, on its check window.
    static std::string windowManagerName(xcb_connection_t* c) {
        const auto check = own(xcb_get_property_reply(
            c,
            xcb_get_property(c, false, root(c), atom(c, "_NET_SUPPORTING_WM_CHECK"),
                             XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) != 4)
            return {};
        const auto wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
        const auto name =
            own(xcb_get_property_reply(c,
                                       xcb_get_property(c, false, wm, atom(c, "_NET_WM_NAME"),
                                                        XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                                       nullptr));
        if (!name || name->format != 8) return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(name.get())));
    }

    // The running window manager lists what it does in _NET_SUPPORTED on the root window.
    static bool supported(xcb_connection_t* c, xcb_atom_t what) {
        if (what == XCB_ATOM_NONE) return false;
        const auto reply = own(xcb_get_property_reply(
            c,
            xcb_get_property(c, false, root(c), atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
            nullptr));
        if (!reply || reply->format != 32) return false;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        return std::find(atoms, atoms + count, what) != atoms + count;
    }
};

}  // namespace

std::unique_ptr<WindowSystem> makeWindowSystem() {
    return std::make_unique<X11WindowSystem>();
}

}  // namespace orvane
