#pragma once

#include <string>

#include "core/battery/display.h"

namespace orvane {

// Window positions are screen-relative twips (15 to the pixel at 96 dpi).
struct TwipsPoint {
    double x = 0;
    double y = 0;
};

// What the program shows: the main window, the compact panel, or only the tray icon. The
// number is what "Display" stores.
enum class DisplayMode { Full = 0, Compact = 1, Minimize = 2 };

// Check marks and visibility of the pop-up menu's items.
struct MenuState {
    bool full = false;
    bool compact = false;
    bool minimize = false;
    bool startWithDesktop = false;
    bool alwaysOnTop = false;
    bool alwaysOnTopVisible = true;
};

// What the logic asks of the main window.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // Restores the window from minimized (or maximized) to its normal state.
    virtual void setNormalState() = 0;
    virtual void moveTo(TwipsPoint pos) = 0;
    virtual TwipsPoint position() const = 0;
    virtual void setTopMost(bool on) = 0;
    virtual void bringToFront() = 0;
    // Lets the platform finish pending window work, so a position read next is the real one.
    virtual void processPendingEvents() = 0;
    virtual void showStatus(const DisplayUpdate& update) = 0;
    virtual void showMenuState(const MenuState& menu) = 0;
    // Opens the pop-up menu at the mouse pointer; its choice comes back as a MenuItem.
    virtual void showPopupMenu() = 0;
    // Ends the program at once; windows still open are discarded.
    virtual void endProgram() = 0;
};

class TrayView {
public:
    virtual ~TrayView() = default;
    // Adds the icon with the application icon and the given tip.
    virtual void add(const std::string& tip) = 0;
    virtual void modify(const std::string& smallIconKey, const std::string& tip) = 0;
    virtual void remove() = 0;
    // False on a desktop without a notification area: then the icon cannot be clicked.
    virtual bool available() const = 0;
};

// The compact floating panel. create() makes the window (hidden); destroy() discards it.
class CompactView {
public:
    virtual ~CompactView() = default;
    virtual void create() = 0;
    virtual bool exists() const = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    virtual void moveTo(TwipsPoint pos) = 0;
    virtual TwipsPoint position() const = 0;
    virtual void setTopMost(bool on) = 0;
    virtual void bringToFront() = 0;
    virtual void showStatus(const DisplayUpdate& update) = 0;
    // Discards the window; the next create() makes a new one.
    virtual void destroy() = 0;
};

// The first-use wizard, shown modally; returns when it has closed.
class FirstUseWizard {
public:
    virtual ~FirstUseWizard() = default;
    virtual void run() = 0;
};

}  // namespace orvane

namespace orvane {

// The pop-up menu's commands (separators have none).
enum class MenuItem {
    Exit,
    ControlCenter,
    Refresh,
    Full,
    Compact,
    Minimize,
    StartWithDesktop,
    AlwaysOnTop,
    About,
};

// The tray icon's mouse events, as the logic acts on them.
enum class TrayEvent {
    LeftButtonUp,  // a click; also the first half of a double click
    LeftDoubleClick,
    RightButtonUp,
    Activate,         // a StatusNotifierItem host's one activation: it has no double click
    HostMenuOpening,  // a host is about to draw the pop-up menu itself
};

}  // namespace orvane
