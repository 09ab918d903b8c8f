#include "ui/shell/tray_icon.h"

#include <QApplication>
#include <QDBusConnection>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <utility>

#include "ui/common/log_categories.h"
#include "ui/common/status_icons.h"
#include "ui/desktop/status_notifier_item.h"
#include "ui/desktop/window_system.h"

namespace orvane {

TrayIcon::TrayIcon(StatusIcons& icons, QMenu& menu, WindowSystem& windows, QObject* parent)
    : QObject(parent),
      icons_(icons),
      windows_(windows),
      item_(new StatusNotifierItem(QDBusConnection::sessionBus(), this)) {
    item_->setMenu(menu);
    // A StatusNotifierItem host has no double click: its one activation stands for it.
    connect(item_, &StatusNotifierItem::activated, this,
            [this](QPoint) { emit clicked(TrayEvent::Activate, std::nullopt); });
    // A host asking many times at once (or anyone on the bus flooding it) opens one menu, at
    // the last place asked for.
    connect(item_, &StatusNotifierItem::contextMenuRequested, this, [this](QPoint at) {
        const bool pending = menuAt_.has_value();
        menuAt_ = at;
        if (pending) return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                const std::optional<QPoint> at = std::exchange(menuAt_, std::nullopt);
                if (at) emit clicked(TrayEvent::RightButtonUp, at);
            },
            Qt::QueuedConnection);
    });
    connect(item_, &StatusNotifierItem::menuAboutToShow, this,
            [this] { emit clicked(TrayEvent::HostMenuOpening, std::nullopt); });
    connect(item_, &StatusNotifierItem::watcherChanged, this, [this] {
        if (!added_) return;
        if (item_->watcherPresent() && !usingItem_) useStatusNotifierItem();
        if (!item_->watcherPresent() && usingItem_) useXEmbed();
        checkAvailability();
    });
    connect(item_, &StatusNotifierItem::trayChanged, this, &TrayIcon::checkAvailability);
    // An XEmbed tray that comes or goes (a panel started late, or restarted). Qt's X11 platform
    // says so through its native interface, a QObject whose class is private to Qt.
    if (QObject* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
        native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
        connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this,
                SLOT(onXEmbedTrayChanged()));
    }
}

void TrayIcon::onXEmbedTrayChanged() {
    // Qt docks an icon only if a tray was there when it was shown: shown again, it docks now.
    if (added_ && !usingItem_ && xembed_ && QSystemTrayIcon::isSystemTrayAvailable()) {
        xembed_->hide();
        xembed_->show();
    }
    checkAvailability();
}

TrayIcon::~TrayIcon() {
    if (qApp) qApp->removeEventFilter(this);
}

void TrayIcon::add(const std::string& tip) {
    shownKey_.clear();
    added_ = true;
    icon_ = StatusIcons::appIcon();
    tip_ = QString::fromStdString(tip);
    item_->watcherPresent() ? useStatusNotifierItem() : useXEmbed();
    wasAvailable_ = available();
}

void TrayIcon::useStatusNotifierItem() {
    qCDebug(lcDisplay) << "tray: a StatusNotifierItem";
    usingItem_ = true;
    if (xembed_) xembed_->hide();
    if (qApp) qApp->removeEventFilter(this);
    item_->setIcon(icon_);
    item_->setToolTip(tip_);
    item_->show();
}

void TrayIcon::useXEmbed() {
    qCDebug(lcDisplay) << "tray: an XEmbed icon";
    usingItem_ = false;
    item_->hide();
    if (!xembed_) {
        xembed_ = new QSystemTrayIcon(this);
        // Where Qt's own icon gets the clicks (a platform other than an XEmbed tray), they
        // come as Qt reports them.
        connect(xembed_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::Trigger)
                        emit clicked(TrayEvent::LeftButtonUp, std::nullopt);
                    if (r == QSystemTrayIcon::DoubleClick)
                        emit clicked(TrayEvent::LeftDoubleClick, std::nullopt);
                    if (r == QSystemTrayIcon::Context)
                        emit clicked(TrayEvent::RightButtonUp, std::nullopt);
                });
    }
    // Qt's XEmbed icon acts on the press; its events are taken before it sees them.
    qApp->installEventFilter(this);
    xembed_->setIcon(icon_);
    xembed_->setToolTip(tip_);
    xembed_->show();
    // The tray docks the icon while the rest of the start-up goes on.
    windows_.sendPending();
}

void TrayIcon::checkAvailability() {
    if (!added_) return;
    const bool now = available();
    if (now == wasAvailable_) return;
    wasAvailable_ = now;
    qCDebug(lcDisplay) << "tray available:" << now;
    emit availabilityChanged();
}

void TrayIcon::modify(const std::string& smallIconKey, const std::string& tip) {
    const QString text = QString::fromStdString(tip);
    qCDebug(lcDisplay).noquote() << "tip:" << text;
    // A display before the icon is added (the Control Center opened from the first-run
    // wizard): adding it sets the first picture and tip.
    if (!added_) return;
    tip_ = text;
    // Repainting an unchanged icon costs the tray host a redraw for nothing.
    if (smallIconKey != shownKey_) {
        icon_ = icons_.icon(smallIconKey);
        usingItem_ ? item_->setIcon(icon_) : xembed_->setIcon(icon_);
        shownKey_ = smallIconKey;
    }
    if (usingItem_) {
        item_->setToolTip(tip_);
    } else if (xembed_->toolTip() != tip_) {
        xembed_->setToolTip(tip_);
    }
}

void TrayIcon::remove() {
    added_ = false;
    item_->hide();
    if (xembed_) xembed_->hide();
    if (qApp) qApp->removeEventFilter(this);
}

bool TrayIcon::available() const {
    if (!added_) return false;
    return usingItem_ ? item_->shownInTray() : QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIcon::isShown() const {
    if (!added_) return false;
    return usingItem_ ? item_->isShown() : xembed_->isVisible();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    if (!watched->inherits("QSystemTrayIconSys")) return false;
    const auto* me = static_cast<QMouseEvent*>(event);
    const QPoint at = me->globalPosition().toPoint();
    if (type == QEvent::MouseButtonRelease) {
        // A double click's second release counts too, as it does on the tray it was drawn for.
        if (me->button() == Qt::LeftButton) emit clicked(TrayEvent::LeftButtonUp, std::nullopt);
        if (me->button() == Qt::RightButton) emit clicked(TrayEvent::RightButtonUp, at);
    } else if (type == QEvent::MouseButtonDblClick && me->button() == Qt::LeftButton) {
        emit clicked(TrayEvent::LeftDoubleClick, std::nullopt);
    }
    // Presses do nothing; a right double click is two right clicks, each on its release.
    return true;
}

}  // namespace orvane
