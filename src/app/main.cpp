#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>
#include <thread>

#include "core/shell/main_controller.h"
#include "platform/services.h"
#include "ui/common/qt_message_boxes.h"
#include "ui/shell/app_host.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    using namespace orvane;
#ifdef __GLIBC__
    // Each thread would get an allocation arena of its own, the font reader below included:
    // memory for nothing, as what runs off the main thread allocates little and seldom.
    mallopt(M_ARENA_MAX, 1);
#endif
    // A Wayland client may neither place its windows nor read back where they are, so the
    // saved positions would be lost; XWayland keeps both, unless the user chose otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setOrganizationName("Merrowin");
    // The window's size from the last start lets it be shown without the fonts; they are
    // needed only for its controls, made after the icon. No cache folder (no home) keeps nothing.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString sizeFile =
        cache.isEmpty() ? QString() : cache + QStringLiteral("/main-window-size");
    // Without a kept size, the main window, shown before the icon in Full mode, needs the font
    // database for its layout, and reading it takes about as long as the rest of start-up: both
    // at once. With one, reading it then would only take a core from the X server and the tray
    // while they dock the icon. The other modes show text only after the icon, or never.
    std::thread fonts;
    if (sizeFile.isEmpty() || !QFileInfo::exists(sizeFile)) {
        fonts = std::thread([userStore = makeUserStore()] {
            if (storedDisplayMode(*userStore) == DisplayMode::Full) QFontDatabase::families();
        });
    }
    QApplication::setApplicationVersion(ORVANE_VERSION);
    QApplication::setDesktopFileName("example.merrowin.Orvane");
    // In Minimize mode no window is open, yet the program runs on in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    PlatformServices platform = makePlatformServices();
    SettingsStore store(*platform.userStore, *platform.machineStore);
    QtMessageBoxes messages;

    AppHost host(Services{store, *platform.power, *platform.clock, messages, *platform.instance,
                          *platform.links});
    messages.setOwner([&host] { return host.messageOwner(); });
    if (!platform.programPath.empty()) host.controller().setProgramPath(platform.programPath);
    platform.termination->setListener([&host] { host.terminate(); });
    QObject::connect(
        &host, &AppHost::finished, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    if (!sizeFile.isEmpty()) host.rememberLayoutIn(sizeFile);
    const bool started = host.start();
    if (fonts.joinable()) fonts.join();
    return started ? QApplication::exec() : 0;
}
