#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include "shell/views.h"

class QMenu;

namespace orvane {

class StatusIcons;

// The notification-area icon; its picture and tip follow each display update.
class TrayIcon : public QObject, public TrayView {
    Q_OBJECT
public:
    TrayIcon(StatusIcons& icons, QObject* parent = nullptr);

    void add(const std::string& tip) override;
    void modify(const std::string& smallIconKey, const std::string& tip) override;
    void remove() override;
    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    QString toolTip() const { return tray_->toolTip(); }
    bool isShown() const { return tray_->isVisible(); }
    QRect geometry() const { return tray_->geometry(); }

signals:
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    StatusIcons& icons_;
    QSystemTrayIcon* tray_;
    std::string shownKey_;
};

}  // namespace orvane
