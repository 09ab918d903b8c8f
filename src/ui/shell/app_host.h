#pragma once

#include <QObject>
#include <QPoint>
#include <memory>
#include <optional>

#include "core/shell/main_controller.h"
#include "ui/common/dialog_slot.h"
#include "ui/common/layout_memory.h"
#include "ui/common/qt_message_boxes.h"
#include "ui/common/status_icons.h"
#include "ui/desktop/window_system.h"

namespace orvane {

class AboutWindow;
class CompactHost;
class ControlCenterWindow;
class MainWindow;
class TrayIcon;
class WizardRunner;

// Builds the windows around the logic and routes the user's actions to it. The platform
// services come in from outside, so a test can hand in fakes.
class AppHost : public QObject {
    Q_OBJECT
public:
    explicit AppHost(Services services, QObject* parent = nullptr);
    ~AppHost() override;

    // The start-up sequence; false when the program must end at once (another copy runs).
    bool start();
    // Where the main window's laid-out size is kept between starts; without it, the window
    // is laid out before it is first shown.
    void rememberLayoutIn(const QString& file);

    // The desktop session is ending or a termination signal came: close without asking.
    void terminate();

    MainController& controller() { return *controller_; }
    ControlCenterWindow* controlCenter() const;
    AboutWindow* about() const;
    MainWindow& mainWindow() { return *main_; }
    TrayIcon& tray() { return *tray_; }
    CompactHost& compact() { return *compact_; }
    // The window a message box belongs to: the open dialog, else the visible main window or
    // compact panel, with whether it is kept above the others.
    QtMessageBoxes::Owner messageOwner() const;

signals:
    // The program has shut down; the event loop should end.
    void finished();

private:
    void onMenuItem(MenuItem item);

public:
    // The tray icon's clicks arrive here; a menu opens at `menuAt` when the host gave a place.
    void onTrayClicked(TrayEvent event, std::optional<QPoint> menuAt);

private:
    void showMenu(QPoint globalPos);
    void showMenuByKeyboard(QPoint globalPos);
    void onPowerChanged();

    // The Control Center, owned by the main window from the menu or by the wizard.
    ControlCenterWindow* makeControlCenter(QWidget* owner);

    Services services_;
    StatusIcons icons_;
    std::unique_ptr<WindowSystem> windows_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<WizardRunner> wizard_;
    DialogSlot<ControlCenterWindow> controlCenter_;
    DialogSlot<AboutWindow> about_;
    TrayIcon* tray_;
    CompactHost* compact_;
    std::unique_ptr<MainController> controller_;
    std::optional<LayoutMemory> layoutMemory_;
};

}  // namespace orvane
