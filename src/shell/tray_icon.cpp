#include "shell/tray_icon.h"

#include "platform/linux/log_categories.h"
#include "shell/status_icons.h"

namespace orvane {

TrayIcon::TrayIcon(StatusIcons& icons, QObject* parent)
    : QObject(parent), icons_(icons), tray_(new QSystemTrayIcon(this)) {
    connect(tray_, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
}

void TrayIcon::add(const std::string& tip) {
    tray_->setIcon(StatusIcons::appIcon());
    shownKey_.clear();
    tray_->setToolTip(QString::fromStdString(tip));
    tray_->show();
}

void TrayIcon::modify(const std::string& smallIconKey, const std::string& tip) {
    const QString text = QString::fromStdString(tip);
    qCDebug(lcDisplay).noquote() << "tip:" << text;
    // Repainting an unchanged icon costs the tray host a redraw for nothing.
    if (smallIconKey != shownKey_) {
        tray_->setIcon(icons_.icon(smallIconKey));
        shownKey_ = smallIconKey;
    }
    if (tray_->toolTip() != text) tray_->setToolTip(text);
}

void TrayIcon::remove() { tray_->hide(); }

}  // namespace orvane
