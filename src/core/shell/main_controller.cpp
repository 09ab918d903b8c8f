#include "core/shell/main_controller.h"

#include <algorithm>
#include <cmath>

#include "core/battery/battery_time.h"
#include "core/battery/learning.h"
#include "core/store/number_text.h"

namespace orvane {

namespace {

const std::string kCr = "\r";

MessageRequest alreadyRunning() {
    return {std::string(kAppTitle) + " already running.", kAppTitle, MsgButtons::Ok,
            MsgIcon::Exclamation};
}

MessageRequest welcome() {
    return {
        "In order to keep the display panel clean and neat, all the functions and options are "
        "accessed by right clicking on the Orvane icon in the system icon tray." +
            kCr + kCr + "To move the window in compact mode, click on the Orvane icon and drag.",
        "Welcome to Orvane", MsgButtons::Ok, MsgIcon::Information};
}

MessageRequest unreadableStore(const std::string& where, const std::string& why) {
    return {"Orvane cannot read its settings file " + where + ": " + why + "." + kCr + kCr +
                "It starts with its default settings and saves nothing there until the file can "
                "be read.",
            kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation};
}

MessageRequest exitQuestion() {
    return {"Are you sure you want to exit Orvane?", kAppTitle, MsgButtons::YesNo,
            MsgIcon::Exclamation, MsgAnswer::Yes};
}

}  // namespace

MainController::MainController(Services services, Views views)
    : s_(services),
      v_(views),
      alarms_(s_.store, s_.power, s_.messages, [this] { return shown_; }) {}

bool MainController::FirstUse() {
    return s_.store.get(Setting::FirstUse).toNumber() != 1;
}

bool MainController::startUp() {
    if (!s_.instance.acquire()) {
        s_.messages.show(alreadyRunning());
        return false;
    }
    // A store that is there but cannot be read is left as it is: the user hears why, and the
    // program runs on its defaults (a first-run set-up could keep none of its answers).
    const std::string problem = s_.store.userProblem();
    if (!problem.empty()) s_.messages.show(unreadableStore(s_.store.userLocation(), problem));
    s_.store.EnsureKeys();
    if (problem.empty() && FirstUse()) {
        v_.wizard.run();
        s_.messages.show(welcome());
        std::vector<std::pair<Setting, std::string>> defaults;
        for (Setting s :
             {Setting::CompactX, Setting::CompactY, Setting::Display, Setting::FirstUse})
            defaults.emplace_back(s, std::string(settingInfo(s).firstRunText));
        s_.store.save(defaults);
    }
    LoadWindowPosition();
    mode_ = storedMode();
    // The window comes first, then the icon; a window the mode hides is never shown at all.
    if (mode_ == DisplayMode::Full) v_.main.showWindow();
    v_.tray.add(kAppTitle);
    LoadWindowSettings();
    alarms_.LoadAlarms();
    alarms_.CheckAlarms();
    v_.main.bringToFront();
    started_ = true;
    return true;
}

void MainController::LoadWindowPosition() {
    v_.main.moveTo({s_.store.get(Setting::X).toNumber(), s_.store.get(Setting::Y).toNumber()});
    compactPlace_ = {s_.store.get(Setting::CompactX).toNumber(),
                     s_.store.get(Setting::CompactY).toNumber()};
}

DisplayMode MainController::storedMode() const {
    const double display = s_.store.get(Setting::Display).toNumber();
    if (display == 1) return DisplayMode::Compact;
    if (display == 2) return DisplayMode::Minimize;
    return DisplayMode::Full;
}

void MainController::LoadWindowSettings() {
    mode_ = storedMode();
    publishMenu();
    applyMode();
    menu_.alwaysOnTop = s_.store.get(Setting::AlwaysOnTop).toBool();
    if (menu_.alwaysOnTop) v_.main.setTopMost(true);
    menu_.startWithWindows = !s_.store.get(Setting::StartWithDesktop).toText().empty();
    publishMenu();
}

void MainController::publishMenu() {
    menu_.full = mode_ == DisplayMode::Full;
    menu_.compact = mode_ == DisplayMode::Compact;
    menu_.minimize = mode_ == DisplayMode::Minimize;
    v_.main.showMenuState(menu_);
}

void MainController::ensureCompact() {
    if (v_.compact.exists()) return;
    v_.compact.create();
    compactPlace_ = {s_.store.get(Setting::CompactX).toNumber(),
                     s_.store.get(Setting::CompactY).toNumber()};
    v_.compact.moveTo(compactPlace_);
    v_.compact.setTopMost(true);
    UpdateDisplay();
}

void MainController::applyMode() {
    s_.store.EnsureKeys();
    // Each window goes straight to the state the mode wants: one shown and hidden again in
    // the same breath would flash up under a window manager. The panel is made only when it
    // is shown.
    switch (mode_) {
        case DisplayMode::Full:
            v_.main.showWindow();
            if (v_.compact.exists()) v_.compact.hideWindow();
            break;
        case DisplayMode::Compact:
            v_.main.hideWindow();
            ensureCompact();
            v_.compact.showWindow();
            v_.compact.setTopMost(true);
            break;
        case DisplayMode::Minimize:
            if (v_.compact.exists()) v_.compact.hideWindow();
            // Without a tray nothing would be left to click: the window stays until one is there.
            if (v_.tray.available())
                v_.main.hideWindow();
            else
                v_.main.showWindow();
            break;
    }
    menu_.alwaysOnTopVisible = mode_ != DisplayMode::Compact;
    publishMenu();
    s_.store.save(Setting::Display, std::to_string(static_cast<int>(mode_)));
    UpdateDisplay();
}

std::int32_t MainController::timeOfDay() const {
    return static_cast<std::int32_t>(std::nearbyint(s_.clock.secondsSinceMidnight()));
}

void MainController::UpdateDisplay() {
    const PowerSnapshot power = s_.power.read();
    // Without a battery the time is never shown, so the store need not be asked.
    const std::int16_t minutes =
        power.batteryStatus >= 128 ? std::int16_t{-1} : GetBatteryTime(s_.store, power);
    const DisplayUpdate d = ComposeDisplay(power, minutes);
    // UPower revises its remaining time every minute or so; an update for that alone must not
    // cut the interval in which the shown charge falls, or each drop would look far quicker
    // than it was. The interval restarts when the charge or the power source shown changes.
    const bool levelChanged = LeadingNumber(d.main.status) != LeadingNumber(shown_.status) ||
                              d.main.power != shown_.power;
    shown_ = d.main;
    v_.main.showStatus(d);
    v_.tray.modify(d.smallKey, d.tip);
    if (mode_ == DisplayMode::Compact && v_.compact.exists()) v_.compact.showStatus(d);
    const ClockReading now = ReadClocks(s_.clock);
    lastUpdate_ = timeOfDay();
    updated_ = true;
    // After a sleep or a jump of the wall clock the interval starts again here.
    if (levelChanged || !intervalOpen_ || !TimeOfDayMeasuredTheInterval(intervalClocks_, now)) {
        intervalStart_ = lastUpdate_;
        intervalClocks_ = now;
        intervalOpen_ = true;
    }
}

bool MainController::askExit() {
    return s_.messages.show(exitQuestion()) == MsgAnswer::Yes;
}

bool MainController::queryClose(CloseReason reason) {
    if (unloading_) return true;
    if (reason == CloseReason::Program || reason == CloseReason::Session) return true;
    return askExit();
}

bool MainController::requestClose(CloseReason reason) {
    if (!queryClose(reason)) return false;
    unload();
    return true;
}

void MainController::saveWindowSettings() {
    const TwipsPoint pos = v_.main.position();
    std::vector<std::pair<Setting, std::string>> values{{Setting::X, formatNumber(pos.x)},
                                                        {Setting::Y, formatNumber(pos.y)}};
    // Where no panel was made yet, its place is the one it would be shown at.
    if (v_.compact.exists()) compactPlace_ = v_.compact.position();
    values.emplace_back(Setting::CompactX, formatNumber(compactPlace_.x));
    values.emplace_back(Setting::CompactY, formatNumber(compactPlace_.y));
    values.emplace_back(Setting::AlwaysOnTop, menu_.alwaysOnTop ? "-1" : "0");
    s_.store.save(values);
}

void MainController::windowSettingsChanged() {
    if (!started_ || unloading_) return;
    s_.store.EnsureKeys();
    saveWindowSettings();
}

void MainController::unload() {
    if (unloading_) return;
    unloading_ = true;
    v_.tray.remove();
    s_.store.EnsureKeys();
    v_.main.setNormalState();
    v_.main.showWindow();
    v_.main.processPendingEvents();
    saveWindowSettings();
    v_.main.endProgram();
}

void MainController::sysInfo_PowerStatusChanged() {
    // Before start-up has loaded the alarms (first-run dialogs) there is nothing to check,
    // and start-up's own first display shows the reading then current.
    if (!started_ || unloading_) return;
    if (handlingChange_) {
        changePending_ = true;
        return;
    }
    handlingChange_ = true;
    do {
        changePending_ = false;
        alarms_.CheckAlarms();
        const PowerSnapshot power = s_.power.read();
        const int drop = LeadingNumber(shown_.status) - power.batteryLifePercent;
        const ClockReading now = ReadClocks(s_.clock);
        if (power.acStatus != 1 && updated_ && intervalOpen_ && drop > 0 &&
            TimeOfDayMeasuredTheInterval(intervalClocks_, now)) {
            const double elapsed = ElapsedMinutesSince(intervalStart_, now.timeOfDay,
                                                       now.awake - intervalClocks_.awake);
            if (elapsed > 0)
                RecordBatteryData(s_.store, static_cast<std::int16_t>(std::min(drop, 32767)),
                                  elapsed);
        }
        lastUpdate_ = timeOfDay();
        UpdateDisplay();
        alarms_.ShowAlarms();
    } while (changePending_ && !unloading_);
    handlingChange_ = false;
}

TwipsPoint SnapToEdges(TwipsPoint pos) {
    if (pos.x < kSnapTwips) pos.x = 0;
    if (pos.y < kSnapTwips) pos.y = 0;
    return pos;
}

void MainController::onMenuItem(MenuItem item) {
    if (unloading_) return;
    switch (item) {
        case MenuItem::Exit:
            if (askExit()) requestClose(CloseReason::Program);
            return;
        case MenuItem::Refresh:
            // As if the platform had reported a change: a source that hears of changes only
            // some of the time reads afresh first.
            s_.power.refresh();
            sysInfo_PowerStatusChanged();
            break;
        case MenuItem::Full:
            setMode(DisplayMode::Full);
            break;
        case MenuItem::Compact:
            setMode(DisplayMode::Compact);
            break;
        case MenuItem::Minimize:
            setMode(DisplayMode::Minimize);
            break;
        case MenuItem::StartWithWindows:
            toggleStartWithDesktop();
            break;
        case MenuItem::AlwaysOnTop:
            toggleAlwaysOnTop();
            break;
        case MenuItem::ControlCenter:
        case MenuItem::About:
            break;
    }
    publishMenu();
}

void MainController::setMode(DisplayMode mode) {
    mode_ = mode;
    publishMenu();
    applyMode();
}

void MainController::toggleAlwaysOnTop() {
    menu_.alwaysOnTop = !menu_.alwaysOnTop;
    v_.main.setTopMost(menu_.alwaysOnTop);
    windowSettingsChanged();
}

void MainController::toggleStartWithDesktop() {
    const bool wantOn = !menu_.startWithWindows;
    if (wantOn && programPath_.empty()) {
        // An empty value is the entry switched off: never write that for "on".
        s_.messages.show(
            {"Start with Windows could not be switched on: the program's own file "
             "could not be found.",
             kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation});
        return;
    }
    const std::string value = wantOn ? programPath_ : std::string();
    const std::string key(keys::kRun);
    const std::string name(settingInfo(Setting::StartWithDesktop).name);
    s_.store.SaveMachineValue(key, name, value);
    // The machine-wide entry may not be writable for this user: believe only what reads back.
    const std::string stored = s_.store.GetMachineValue(key, name).toText();
    menu_.startWithWindows = !stored.empty();
    if (stored != value) {
        publishMenu();
        s_.messages.show({"Start with Windows could not be switched " +
                              std::string(wantOn ? "on" : "off") + ": the start-up entry " +
                              s_.store.machineLocation() + " could not be written.",
                          kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation});
    }
}

void MainController::onTrayEvent(TrayEvent event) {
    if (!started_ || unloading_) return;
    if (event == TrayEvent::HostMenuOpening) {
        // What comes before our own menu is shown; the host draws the menu.
        if (mode_ == DisplayMode::Full) v_.main.bringToFront();
        return;
    }
    if (event == TrayEvent::Activate) {
        // Where the double click is missing, the activation does what it would do in Full
        // mode; elsewhere it is the click the table knows.
        if (mode_ == DisplayMode::Full)
            event = TrayEvent::LeftDoubleClick;
        else if (mode_ == DisplayMode::Compact)
            event = TrayEvent::LeftButtonUp;
        else
            return;
    }
    switch (mode_) {
        case DisplayMode::Full:
            if (event == TrayEvent::LeftDoubleClick) {
                v_.main.bringToFront();
                v_.main.setNormalState();
                v_.main.showWindow();
            } else if (event == TrayEvent::RightButtonUp) {
                v_.main.bringToFront();
                v_.main.showPopupMenu();
            }
            break;
        case DisplayMode::Compact:
            if (event == TrayEvent::LeftButtonUp) {
                v_.compact.bringToFront();
            } else if (event == TrayEvent::RightButtonUp) {
                v_.main.showPopupMenu();
            }
            break;
        case DisplayMode::Minimize:
            if (event == TrayEvent::RightButtonUp) v_.main.showPopupMenu();
            break;
    }
}

void MainController::compactDragFinished() {
    if (!v_.compact.exists()) return;
    const TwipsPoint pos = v_.compact.position();
    const TwipsPoint snapped = SnapToEdges(pos);
    if (snapped.x != pos.x || snapped.y != pos.y) v_.compact.moveTo(snapped);
    windowSettingsChanged();
}

bool MainController::discardCompact() {
    if (!v_.compact.exists()) return false;
    s_.store.EnsureKeys();
    const TwipsPoint pos = v_.compact.position();
    compactPlace_ = pos;
    s_.store.save(
        {{Setting::CompactX, formatNumber(pos.x)}, {Setting::CompactY, formatNumber(pos.y)}});
    v_.compact.setTopMost(false);
    v_.compact.destroy();
    return true;
}

void MainController::compactClosed() {
    if (!discardCompact() || unloading_) return;
    v_.main.setNormalState();
    // In Compact mode this makes the panel anew at the place just saved.
    applyMode();
    v_.main.bringToFront();
}

void MainController::trayAvailabilityChanged() {
    if (!started_ || unloading_ || mode_ != DisplayMode::Minimize) return;
    if (v_.tray.available()) {
        v_.main.hideWindow();
    } else {
        v_.main.showWindow();
    }
}

void MainController::compactIconDoubleClicked() {
    if (unloading_ || !askExit()) return;
    // The program ends next: a new panel would only flash up, and under a window manager
    // its place is not settled yet when the shutdown reads it.
    discardCompact();
    requestClose(CloseReason::Program);
}

}  // namespace orvane
