#pragma once

#include <QtTest>
#include <QtWidgets>

#include "fakes/fakes.h"
#include "platform/posix/autostart_backend.h"
#include "platform/posix/reg_file_backend.h"
#include "platform/posix/single_instance_lock.h"
#include "support/test_support.h"
#include "ui/shell/app_host.h"
#include "ui/shell/compact_window.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tray_icon.h"

namespace orvane::test {

// One program instance with its real windows over real store files in a folder, a fresh one
// unless given; the power source, clock and message boxes are scripted.
struct Program {
    // First: nothing stored yet. Returning: the first run is done. Started: that, and running.
    enum Run { First, Returning, Started };

    explicit Program(Run run = Started, const QString& folder = {})
        : dir(folder.isEmpty() ? own.path() : folder),
          user((dir + "/Orvane.reg").toStdString()),
          machine((dir + "/autostart").toStdString(), {(dir + "/xdg/autostart").toStdString()}),
          store(user, machine),
          lock((dir + "/orvane.lock").toStdString()) {
        power.snapshot = discharging(85, 7530);
        if (run != First) {
            user.createKey(std::string(keys::kSetting));
            store.save(Setting::FirstUse, "1");
        }
        host = std::make_unique<AppHost>(Services{store, power, clock, messages, lock, links});
        if (run == Started) QVERIFY(host->start());
    }

    QTemporaryDir own;
    QString dir;
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
    // The stored texts, one after another.
    QString get(std::initializer_list<Setting> settings) {
        QStringList texts;
        for (Setting s : settings) texts << QString::fromStdString(store.get(s).toText());
        return texts.join(' ');
    }
    QString lastMessage() { return QString::fromStdString(messages.shown.back().text); }
};

}  // namespace orvane::test
