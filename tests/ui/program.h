#pragma once

#include <QAction>
#include <QString>
#include <memory>

#include "fakes/fakes.h"
#include "platform/posix/autostart_backend.h"
#include "platform/posix/reg_file_backend.h"
#include "platform/posix/single_instance_lock.h"
#include "support/test_support.h"
#include "ui/shell/app_host.h"
#include "ui/shell/compact_window.h"
#include "ui/shell/main_window.h"

namespace orvane::test {

// One program instance with its real windows over real store files in a folder; the power
// source, clock and message boxes are scripted.
struct Program {
    enum class Run { First, Returning };

    explicit Program(const QString& dir, Run run = Run::First, const QString& autostartDir = {})
        : user((dir + "/Orvane.reg").toStdString()),
          machine((autostartDir.isEmpty() ? dir + "/autostart" : autostartDir).toStdString(),
                  {(dir + "/xdg/autostart").toStdString()}),
          store(user, machine),
          lock((dir + "/orvane.lock").toStdString()) {
        power.snapshot = discharging(85, 7530);
        if (run == Run::Returning) {
            user.createKey(std::string(keys::kSetting));
            store.save(Setting::FirstUse, "1");
        }
        host = std::make_unique<AppHost>(Services{store, power, clock, messages, lock, links});
    }

    RegFileBackend user;
    AutostartBackend machine;
    SettingsStore store;
    SingleInstanceLock lock;
    FakePowerSource power;
    FakeClock clock;
    ScriptedMessages messages;
    RecordingLinkOpener links;
    std::unique_ptr<AppHost> host;

    MainWindow& main() { return host->mainWindow(); }
    CompactWindow* compact() { return host->compact().window(); }
    void choose(MenuItem item) { main().menuAction(item)->trigger(); }
    bool checked(MenuItem item) { return main().menuAction(item)->isChecked(); }
    std::string get(Setting s) { return store.get(s).toText(); }
};

inline QByteArray readFile(const QString& path) {
    return QByteArray::fromStdString(readText(path.toStdString()));
}

}  // namespace orvane::test
