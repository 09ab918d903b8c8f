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

DisplayMode modeOf(const SettingValue& display) {
    if (display.toNumber() == 1) return DisplayMode::Compact;
    if (display.toNumber() == 2) return DisplayMode::Minimize;
    return DisplayMode::Full;
}

}  // namespace

DisplayMode storedDisplayMode(SettingsBackend& user) {
    const SettingInfo& display = settingInfo(Setting::Display);
    return modeOf(SettingsStore::ReadValue(
        user.queryValue(std::string(display.key), std::string(display.name))));
}

MainController::MainController(Services services, Views views)
    : services_(services),
      views_(views),
      alarms_(services_.store, services_.power, services_.messages, [this] { return shown_; }) {}

bool MainController::isFirstRun() {
    return services_.store.get(Setting::FirstUse).toNumber() != 1;
}

bool MainController::startUp() {
    if (!services_.instance.acquire()) {
        services_.messages.show(alreadyRunning());
        return false;
    }
    // A store that is there but cannot be read is left as it is: the user hears why, and the
    // program runs on its defaults (a first-run set-up could keep none of its answers).
    const std::string problem = services_.store.userProblem();
    if (!problem.empty())
        services_.messages.show(unreadableStore(services_.store.userLocation(), problem));
    services_.store.EnsureKeys();
    if (problem.empty() && isFirstRun()) {
        views_.wizard.run();
        services_.messages.show(welcome());
        std::vector<std::pair<Setting, std::string>> defaults;
        for (Setting s :
             {Setting::CompactX, Setting::CompactY, Setting::Display, Setting::FirstUse})
            defaults.emplace_back(s, std::string(settingInfo(s).firstRunText));
        services_.store.save(defaults);
    }
    loadWindowPosition();
    mode_ = modeOf(services_.store.get(Setting::Display));
    // The window comes first, then the icon; a window the mode hides is never shown at all.
    if (mode_ == DisplayMode::Full) views_.main.showWindow();
    views_.tray.add(kAppTitle);
    loadWindowSettings();
    alarms_.LoadAlarms();
    alarms_.CheckAlarms();
    views_.main.bringToFront();
    started_ = true;
    return true;
}

void MainController::loadWindowPosition() {
    views_.main.moveTo(
        {services_.store.get(Setting::X).toNumber(), services_.store.get(Setting::Y).toNumber()});
    compactPlace_ = {services_.store.get(Setting::CompactX).toNumber(),
                     services_.store.get(Setting::CompactY).toNumber()};
}

void MainController::loadWindowSettings() {
    applyMode();
    menu_.alwaysOnTop = services_.store.get(Setting::AlwaysOnTop).toBool();
    if (menu_.alwaysOnTop) views_.main.setTopMost(true);
    menu_.startWithDesktop = !services_.store.get(Setting::StartWithDesktop).toText().empty();
    publishMenu();
}

void MainController::publishMenu() {
    menu_.full = mode_ == DisplayMode::Full;
    menu_.compact = mode_ == DisplayMode::Compact;
    menu_.minimize = mode_ == DisplayMode::Minimize;
    views_.main.showMenuState(menu_);
}

void MainController::ensureCompact() {
    if (views_.compact.exists()) return;
    views_.compact.create();
    compactPlace_ = {services_.store.get(Setting::CompactX).toNumber(),
                     services_.store.get(Setting::CompactY).toNumber()};
    views_.compact.moveTo(compactPlace_);
    views_.compact.setTopMost(true);
}

void MainController::applyMode() {
    services_.store.EnsureKeys();
    // Each window goes straight to the state the mode wants: one shown and hidden again in
    // the same breath would flash up under a window manager. The panel is made only when it
    // is shown.
    switch (mode_) {
        case DisplayMode::Full:
            views_.main.showWindow();
            if (views_.compact.exists()) views_.compact.hideWindow();
            break;
        case DisplayMode::Compact:
            views_.main.hideWindow();
            ensureCompact();
            views_.compact.showWindow();
            views_.compact.setTopMost(true);
            break;
        case DisplayMode::Minimize:
            if (views_.compact.exists()) views_.compact.hideWindow();
            // Without a tray nothing would be left to click: the window stays until one is there.
            if (views_.tray.available())
                views_.main.hideWindow();
            else
                views_.main.showWindow();
            break;
    }
    menu_.alwaysOnTopVisible = mode_ != DisplayMode::Compact;
    publishMenu();
    services_.store.save(Setting::Display, std::to_string(static_cast<int>(mode_)));
    updateDisplay();
}

std::int32_t MainController::timeOfDay() const {
    return static_cast<std::int32_t>(std::nearbyint(services_.clock.secondsSinceMidnight()));
}

void MainController::updateDisplay() {
    const PowerSnapshot power = services_.power.read();
    // Without a battery the time is never shown, so the store need not be asked.
    const std::int16_t minutes = power.batteryStatus >= PowerSnapshot::kNoBattery
                                     ? std::int16_t{-1}
                                     : GetBatteryTime(services_.store, power);
    const DisplayUpdate d = ComposeDisplay(power, minutes);
    // UPower revises its remaining time every minute or so; an update for that alone must not
    // cut the interval in which the shown charge falls, or each drop would look far quicker
    // than it was. The interval restarts when the charge or the power source shown changes.
    const bool levelChanged = LeadingNumber(d.main.status) != LeadingNumber(shown_.status) ||
                              d.main.power != shown_.power;
    shown_ = d.main;
    views_.main.showStatus(d);
    views_.tray.modify(d.smallKey, d.tip);
    if (mode_ == DisplayMode::Compact && views_.compact.exists()) views_.compact.showStatus(d);
    const ClockReading now = ReadClocks(services_.clock);
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
    return services_.messages.show(exitQuestion()) == MsgAnswer::Yes;
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
    const TwipsPoint pos = views_.main.position();
    std::vector<std::pair<Setting, std::string>> values{{Setting::X, formatNumber(pos.x)},
                                                        {Setting::Y, formatNumber(pos.y)}};
    // Where no panel was made yet, its place is the one it would be shown at.
    if (views_.compact.exists()) compactPlace_ = views_.compact.position();
    values.emplace_back(Setting::CompactX, formatNumber(compactPlace_.x));
    values.emplace_back(Setting::CompactY, formatNumber(compactPlace_.y));
    values.emplace_back(Setting::AlwaysOnTop, flagText(menu_.alwaysOnTop));
    services_.store.save(values);
}

void MainController::windowSettingsChanged() {
    if (!started_ || unloading_) return;
    services_.store.EnsureKeys();
    saveWindowSettings();
}

void MainController::unload() {
    if (unloading_) return;
    unloading_ = true;
    views_.tray.remove();
    services_.store.EnsureKeys();
    views_.main.setNormalState();
    views_.main.showWindow();
    views_.main.processPendingEvents();
    saveWindowSettings();
    views_.main.endProgram();
}

void MainController::onPowerStatusChanged() {
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
        const PowerSnapshot power = services_.power.read();
        const int drop = LeadingNumber(shown_.status) - power.batteryLifePercent;
        const ClockReading now = ReadClocks(services_.clock);
        if (power.acStatus != PowerSnapshot::kOnAc && updated_ && intervalOpen_ && drop > 0 &&
            TimeOfDayMeasuredTheInterval(intervalClocks_, now)) {
            const double elapsed = ElapsedMinutesSince(intervalStart_, now.timeOfDay,
                                                       now.awake - intervalClocks_.awake);
            if (elapsed > 0)
                RecordBatteryData(services_.store, static_cast<std::int16_t>(std::min(drop, 32767)),
                                  elapsed);
        }
        lastUpdate_ = timeOfDay();
        updateDisplay();
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
            services_.power.refresh();
            onPowerStatusChanged();
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
        case MenuItem::StartWithDesktop:
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
    applyMode();
}

void MainController::toggleAlwaysOnTop() {
    menu_.alwaysOnTop = !menu_.alwaysOnTop;
    views_.main.setTopMost(menu_.alwaysOnTop);
    windowSettingsChanged();
}

void MainController::toggleStartWithDesktop() {
    const bool wantOn = !menu_.startWithDesktop;
    if (wantOn && programPath_.empty()) {
        // An empty value is the entry switched off: never write that for "on".
        services_.messages.show(
            {"Start with Windows could not be switched on: the program's own file "
             "could not be found.",
             kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation});
        return;
    }
    const std::string value = wantOn ? programPath_ : std::string();
    const std::string key(keys::kRun);
    const std::string name(settingInfo(Setting::StartWithDesktop).name);
    services_.store.SaveMachineValue(key, name, value);
    // The machine-wide entry may not be writable for this user: believe only what reads back.
    const std::string stored = services_.store.GetMachineValue(key, name).toText();
    menu_.startWithDesktop = !stored.empty();
    if (stored != value) {
        publishMenu();
        services_.messages.show({"Start with Windows could not be switched " +
                                     std::string(wantOn ? "on" : "off") + ": the start-up entry " +
                                     services_.store.machineLocation() + " could not be written.",
                                 kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation});
    }
}

void MainController::onTrayEvent(TrayEvent event) {
    if (!started_ || unloading_) return;
    if (event == TrayEvent::HostMenuOpening) {
        // What comes before our own menu is shown; the host draws the menu.
        if (mode_ == DisplayMode::Full) views_.main.bringToFront();
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
                views_.main.bringToFront();
                views_.main.setNormalState();
                views_.main.showWindow();
            } else if (event == TrayEvent::RightButtonUp) {
                views_.main.bringToFront();
                views_.main.showPopupMenu();
            }
            break;
        case DisplayMode::Compact:
            if (event == TrayEvent::LeftButtonUp) {
                views_.compact.bringToFront();
            } else if (event == TrayEvent::RightButtonUp) {
                views_.main.showPopupMenu();
            }
            break;
        case DisplayMode::Minimize:
            if (event == TrayEvent::RightButtonUp) views_.main.showPopupMenu();
            break;
    }
}

void MainController::compactDragFinished() {
    if (!views_.compact.exists()) return;
    const TwipsPoint pos = views_.compact.position();
    const TwipsPoint snapped = SnapToEdges(pos);
    if (snapped.x != pos.x || snapped.y != pos.y) views_.compact.moveTo(snapped);
    windowSettingsChanged();
}

bool MainController::discardCompact() {
    if (!views_.compact.exists()) return false;
    services_.store.EnsureKeys();
    const TwipsPoint pos = views_.compact.position();
    compactPlace_ = pos;
    services_.store.save(
        {{Setting::CompactX, formatNumber(pos.x)}, {Setting::CompactY, formatNumber(pos.y)}});
    views_.compact.setTopMost(false);
    views_.compact.destroy();
    return true;
}

void MainController::compactClosed() {
    if (!discardCompact() || unloading_) return;
    views_.main.setNormalState();
    // In Compact mode this makes the panel anew at the place just saved.
    applyMode();
    views_.main.bringToFront();
}

void MainController::trayAvailabilityChanged() {
    if (!started_ || unloading_ || mode_ != DisplayMode::Minimize) return;
    if (views_.tray.available()) {
        views_.main.hideWindow();
    } else {
        views_.main.showWindow();
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
