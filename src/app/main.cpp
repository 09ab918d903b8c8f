#include <QApplication>

#include "platform/linux/autostart_backend.h"
#include "platform/linux/desktop_link_opener.h"
#include "platform/linux/linux_power_source.h"
#include "platform/linux/reg_file_backend.h"
#include "platform/linux/signal_watcher.h"
#include "platform/linux/single_instance_lock.h"
#include "platform/linux/system_clock.h"
#include "shell/app_host.h"
#include "shell/qt_message_boxes.h"

int main(int argc, char** argv) {
    using namespace orvane;
    // A Wayland client may neither place its windows nor read back where they are, so the
    // saved positions would be lost; XWayland keeps both, unless the user chose otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setOrganizationName("Merrowin");
    QApplication::setApplicationVersion(ORVANE_VERSION);
    QApplication::setDesktopFileName("example.merrowin.Orvane");
    // In Minimize mode no window is open, yet the program runs on in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    SignalWatcher signalWatcher;
    SingleInstanceLock instance(SingleInstanceLock::defaultPath());
    RegFileBackend userStore(RegFileBackend::defaultPath());
    AutostartBackend machineStore(AutostartBackend::defaultUserDir(), AutostartBackend::defaultSystemDirs());
    SettingsStore store(userStore, machineStore);
    SystemClock clock;
    QtMessageBoxes messages;
    DesktopLinkOpener links;
    std::unique_ptr<PowerStatusSource> power = makeLinuxPowerSource();

    AppHost host(Services{store, *power, clock, messages, instance, links});
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &host, &AppHost::terminate);
    QObject::connect(&host, &AppHost::finished, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    if (!host.start()) return 0;
    return QApplication::exec();
}
