#include "ui/shell/tray_icon.h"

#include <QApplication>
#include <QDBusConnection>
#include <QMouseEvent>
#include <QSystemTrayIcon>

#include "ui/common/log_categories.h"
#include "ui/desktop/status_notifier_item.h"
#include "ui/common/status_icons.h"

namespace orvane {

TrayIcon::TrayIcon(StatusIcons& icons, QObject* parent)
    : QObject(parent),
      icons_(icons),
      xembed_(new QSystemTrayIcon(this)),
      sni_(new StatusNotifierItem(QDBusConnection::sessionBus(), this)) {
    // Where Qt's own icon gets the clicks (a platform other than an XEmbed tray), they come
    // as Qt reports them.
    connect(xembed_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::Trigger)
                    emit clicked(TrayEvent::LeftButtonUp, std::nullopt);
                if (r == QSystemTrayIcon::DoubleClick)
                    emit clicked(TrayEvent::LeftDoubleClick, std::nullopt);
                if (r == QSystemTrayIcon::Context)
                    emit clicked(TrayEvent::RightButtonUp, std::nullopt);
            });
    // A StatusNotifierItem host has no double click: its one activation stands for it.
    connect(sni_, &StatusNotifierItem::activated, this,
            [this](QPoint) { emit clicked(TrayEvent::Activate, std::nullopt); });
    connect(sni_, &StatusNotifierItem::contextMenuRequested, this,
            [this](QPoint at) { emit clicked(TrayEvent::RightButtonUp, at); });
}

TrayIcon::~TrayIcon() {
    if (qApp) qApp->removeEventFilter(this);
}

void TrayIcon::add(const std::string& tip) {
    shownKey_.clear();
    const QString text = QString::fromStdString(tip);
    sniShown_ = StatusNotifierItem::hostAvailable(QDBusConnection::sessionBus());
    if (sniShown_) {
        sni_->setIcon(StatusIcons::appIcon());
        sni_->setToolTip(text);
        sni_->show();
        return;
    }
    // Qt's XEmbed icon acts on the press; its events are taken before it sees them.
    qApp->installEventFilter(this);
    xembed_->setIcon(StatusIcons::appIcon());
    xembed_->setToolTip(text);
    xembed_->show();
}

void TrayIcon::modify(const std::string& smallIconKey, const std::string& tip) {
    const QString text = QString::fromStdString(tip);
    qCDebug(lcDisplay).noquote() << "tip:" << text;
    // Repainting an unchanged icon costs the tray host a redraw for nothing.
    if (smallIconKey != shownKey_) {
        const QIcon icon = icons_.icon(smallIconKey);
        sniShown_ ? sni_->setIcon(icon) : xembed_->setIcon(icon);
        shownKey_ = smallIconKey;
    }
    if (sniShown_) {
        sni_->setToolTip(text);
    } else if (xembed_->toolTip() != text) {
        xembed_->setToolTip(text);
    }
}

void TrayIcon::remove() {
    sni_->hide();
    xembed_->hide();
    if (qApp) qApp->removeEventFilter(this);
}

bool TrayIcon::available() const {
    return sniShown_ ? sni_->isShown() : QSystemTrayIcon::isSystemTrayAvailable();
}

QString TrayIcon::toolTip() const {
    return sniShown_ ? sni_->toolTip() : xembed_->toolTip();
}

bool TrayIcon::isShown() const {
    return sniShown_ ? sni_->isShown() : xembed_->isVisible();
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
