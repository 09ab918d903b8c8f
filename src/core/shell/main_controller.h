#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/alarms/alarms.h"
#include "core/battery/display.h"
#include "core/battery/learning.h"
#include "core/program.h"
#include "core/shell/views.h"
#include "core/store/settings_store.h"
#include "platform/clock.h"
#include "platform/link_opener.h"
#include "platform/message_boxes.h"
#include "platform/power_status_source.h"
#include "platform/single_instance.h"

namespace orvane {

// Why the main window is asked to close.
enum class CloseReason {
    User = 0,     // close box, system menu, Alt+F4
    Program = 1,  // the program unloads it (Exit answered Yes)
    Session = 2,  // log off, shutdown, SIGTERM/SIGHUP
};

// The "Display" the user's store holds, read before anything else is made: anything but 1 and
// 2 (absent, unreadable, a first run) is Full.
DisplayMode storedDisplayMode(SettingsBackend& user);

struct Services {
    SettingsStore& store;
    PowerStatusSource& power;
    Clock& clock;
    MessageBoxes& messages;
    SingleInstance& instance;
    LinkOpener& links;
};

struct Views {
    MainView& main;
    TrayView& tray;
    CompactView& compact;
    FirstUseWizard& wizard;
};

// Positions within this many twips of the left or top screen edge snap to it.
inline constexpr double kSnapTwips = 180;
TwipsPoint SnapToEdges(TwipsPoint pos);

// The main window's logic: start-up, shutdown, display modes and the status display.
class MainController {
public:
    MainController(Services services, Views views);

    // The whole start-up. False when another copy runs: the program must end.
    bool startUp();
    bool started() const { return started_; }

    // The close question; true when the close goes ahead.
    bool queryClose(CloseReason reason);
    // Shutdown: removes the tray icon, saves the window settings, ends the program.
    void unload();
    // queryClose followed, when it goes ahead, by unload. True when the program ended.
    bool requestClose(CloseReason reason);
    // The exit question alone; true on Yes.
    bool askExit();

    bool isFirstRun();
    // Shows and hides the windows as the checked display mode wants, stores the mode and
    // refreshes the display.
    void applyMode();
    DisplayMode mode() const { return mode_; }
    void updateDisplay();

    // The pop-up menu's commands (Control Center and About are the windows' own).
    void onMenuItem(MenuItem item);
    void onTrayEvent(TrayEvent event);
    // The compact window's icon was dragged and dropped: snap to the left and top edges.
    void compactDragFinished();
    // The compact window is closing (by the platform or on exit): save its place, re-apply the
    // mode.
    void compactClosed();
    void compactIconDoubleClicked();
    // A window has settled at a new place, or the on-top state changed: the window settings
    // are written at once, so that no end of the program loses them.
    void windowSettingsChanged();
    // A tray came or went: in Minimize mode the main window is hidden while there is an icon
    // to click, and shown while there is none, so the menu can always be reached.
    void trayAvailabilityChanged();
    // Where the running program file is, for the start-with-the-desktop entry.
    void setProgramPath(std::string path) { programPath_ = std::move(path); }

    const StatusTexts& shownTexts() const { return shown_; }
    std::int32_t lastUpdate() const { return lastUpdate_; }
    // 0 (as after a reset of the learnt data) keeps the next change from learning.
    void setLastUpdate(std::int32_t seconds) {
        lastUpdate_ = seconds;
        if (seconds == 0) updated_ = intervalOpen_ = false;
    }
    const MenuState& menu() const { return menu_; }

    // Everything one power status change sets off: alarm check, one learning step, the
    // display, the alarm messages. A change that arrives while an alarm message is open
    // is handled once the message is closed, never inside it.
    void onPowerStatusChanged();

    Alarms& alarms() { return alarms_; }

private:
    void toggleStartWithDesktop();
    void toggleAlwaysOnTop();
    void setMode(DisplayMode mode);
    void loadWindowPosition();
    // The mode read at start applied, then the on-top and start-with-the-desktop states.
    void loadWindowSettings();
    // Makes the compact panel at its stored place; the caller fills and shows it.
    void ensureCompact();
    // "X", "Y", "CompactX", "CompactY" and "Always On Top", in one commit.
    void saveWindowSettings();
    // Saves the compact window's place and discards it; false when there is none.
    bool discardCompact();
    void publishMenu();
    std::int32_t timeOfDay() const;

    Services services_;
    Views views_;
    DisplayMode mode_ = DisplayMode::Full;
    // The compact panel's place: where it stands, or, while there is none, where it would.
    TwipsPoint compactPlace_;
    MenuState menu_;
    StatusTexts shown_;
    std::int32_t lastUpdate_ = 0;
    // A display update to learn from was made: midnight's stamp is 0 as well.
    bool updated_ = false;
    // When the charge now shown was first shown: where the next observation starts.
    std::int32_t intervalStart_ = 0;
    bool intervalOpen_ = false;
    ClockReading intervalClocks_;
    bool started_ = false;
    bool unloading_ = false;
    bool handlingChange_ = false;
    bool changePending_ = false;
    Alarms alarms_;
    std::string programPath_;
};

}  // namespace orvane
