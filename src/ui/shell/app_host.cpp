#include "ui/shell/app_host.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <cstdlib>

#include "core/alarms/control_center_model.h"
#include "ui/alarms/control_center_window.h"
#include "ui/common/log_categories.h"
#include "ui/dialogs/about_window.h"
#include "ui/dialogs/wizard_window.h"
#include "ui/shell/compact_window.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tray_icon.h"

namespace orvane {

AppHost::AppHost(Services services, QObject* parent)
    : QObject(parent),
      services_(services),
      windows_(makeWindowSystem()),
      main_(std::make_unique<MainWindow>(icons_, *windows_)),
      tray_(new TrayIcon(icons_, *main_->popupMenu(), *windows_, this)),
      compact_(new CompactHost(icons_, *windows_, this)) {
    wizard_ = std::make_unique<WizardRunner>(
        services_.store, services_.messages,
        [this](QWidget* owner) -> QDialog* { return makeControlCenter(owner); }, main_.get());
    controller_ =
        std::make_unique<MainController>(services_, Views{*main_, *tray_, *compact_, *wizard_});
    controller_->setProgramPath(QCoreApplication::applicationFilePath().toStdString());

    connect(main_.get(), &MainWindow::closeRequested, this,
            [this] { controller_->requestClose(CloseReason::User); });
    connect(main_.get(), &MainWindow::menuItemChosen, this, &AppHost::onMenuItem);
    connect(main_.get(), &MainWindow::statusPictureRightReleased, this, &AppHost::showMenu);
    connect(main_.get(), &MainWindow::menuKeyPressed, this, &AppHost::showMenuByKeyboard);
    connect(main_.get(), &MainWindow::placeSettled, this,
            [this] { controller_->windowSettingsChanged(); });
    connect(main_.get(), &MainWindow::laidOut, this, [this](const QString& key, QSize size) {
        if (layoutMemory_) layoutMemory_->remember(key, size);
    });
    connect(main_.get(), &MainWindow::programEnding, this, [this] {
        tray_->remove();
        compact_->hideWindow();
        emit finished();
    });
    connect(tray_, &TrayIcon::clicked, this, &AppHost::onTrayClicked);
    connect(tray_, &TrayIcon::availabilityChanged, this,
            [this] { controller_->trayAvailabilityChanged(); });
    connect(compact_, &CompactHost::placeSettled, this,
            [this] { controller_->windowSettingsChanged(); });
    connect(compact_, &CompactHost::created, this, [this](CompactWindow* w) {
        connect(w, &CompactWindow::iconRightReleased, this, &AppHost::showMenu);
        connect(w, &CompactWindow::menuKeyPressed, this, &AppHost::showMenuByKeyboard);
        connect(w, &CompactWindow::dragFinished, this, [this, w] {
            qCDebug(lcDisplay) << "compact panel dropped at" << w->pos();
            controller_->compactDragFinished();
        });
        connect(w, &CompactWindow::iconDoubleClicked, this,
                [this] { controller_->compactIconDoubleClicked(); });
        // Only the panel that is current reports its closing; one being discarded does not.
        connect(w, &CompactWindow::closing, this, [this, w] {
            if (compact_->window() == w) controller_->compactClosed();
        });
    });
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { terminate(); });
    }
    services_.power.setChangeListener([this] { onPowerChanged(); });
}

AppHost::~AppHost() {
    services_.power.setChangeListener(nullptr);
}

bool AppHost::start() {
    if (layoutMemory_) {
        main_->deferLayout([this](const QString& key) { return layoutMemory_->recall(key); });
    }
    const bool started = controller_->startUp();
    main_->endDeferredLayout();
    return started;
}

void AppHost::rememberLayoutIn(const QString& file) {
    layoutMemory_.emplace(file);
}

void AppHost::terminate() {
    if (!controller_->started()) {
        // Only a modal first-run dialog can be waiting here, and nothing is saved before the
        // first run completes: the next start simply runs it again.
        std::_Exit(0);
    }
    controller_->requestClose(CloseReason::Session);
}

void AppHost::onPowerChanged() {
    controller_->onPowerStatusChanged();
}

QtMessageBoxes::Owner AppHost::messageOwner() const {
    const bool onTop = controller_->menu().alwaysOnTop;
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog->isVisible())
        return {dialog, onTop && dialog->parentWidget() == main_.get()};
    if (main_->isVisible() && !main_->isMinimized()) return {main_.get(), onTop};
    // The compact panel is always kept above the others.
    if (CompactWindow* panel = compact_->window(); panel && panel->isVisible())
        return {panel, true};
    return {};
}

ControlCenterWindow* AppHost::controlCenter() const {
    return controlCenter_.window();
}

AboutWindow* AppHost::about() const {
    return about_.window();
}

ControlCenterWindow* AppHost::makeControlCenter(QWidget* owner) {
    auto model = std::make_unique<ControlCenterModel>(
        services_.store, services_.messages, services_.power,
        ControlCenterActions{[this] { controller_->alarms().LoadAlarms(); },
                             [this] { controller_->updateDisplay(); },
                             [this] { controller_->setLastUpdate(0); }});
    // Opened from the first-run wizard, the main window is not shown yet and must stay so.
    return new ControlCenterWindow(
        std::move(model),
        [this] {
            if (main_->isVisible()) main_->bringToFront();
        },
        owner);
}

void AppHost::onMenuItem(MenuItem item) {
    if (item == MenuItem::ControlCenter) {
        controlCenter_.show([this] { return makeControlCenter(main_.get()); });
        return;
    }
    if (item == MenuItem::About) {
        about_.show(
            [this] { return new AboutWindow(services_.messages, services_.links, main_.get()); });
        return;
    }
    controller_->onMenuItem(item);
    // The marks are the logic's; undo whatever Qt toggled on its own.
    if (!main_->programEnded()) main_->showMenuState(controller_->menu());
}

void AppHost::onTrayClicked(TrayEvent event, std::optional<QPoint> menuAt) {
    qCDebug(lcDisplay) << "tray event" << static_cast<int>(event);
    main_->setNextMenuPlace(menuAt);
    controller_->onTrayEvent(event);
    main_->setNextMenuPlace(std::nullopt);
}

void AppHost::showMenu(QPoint globalPos) {
    main_->openMenuAt(globalPos, false);
}

void AppHost::showMenuByKeyboard(QPoint globalPos) {
    main_->openMenuAt(globalPos, true);
}

}  // namespace orvane
