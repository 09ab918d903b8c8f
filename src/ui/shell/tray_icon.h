#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

#include "core/shell/views.h"

class QSystemTrayIcon;

namespace orvane {

class StatusIcons;
class StatusNotifierItem;

// The notification-area icon; its picture and tip follow each display update. Where the
// session has a StatusNotifierItem host it is such an item, else an XEmbed tray icon, whose
// clicks count when the button is released, as the table of tray events has it.
class TrayIcon : public QObject, public TrayView {
    Q_OBJECT
public:
    TrayIcon(StatusIcons& icons, QObject* parent = nullptr);
    ~TrayIcon() override;

    void add(const std::string& tip) override;
    void modify(const std::string& smallIconKey, const std::string& tip) override;
    void remove() override;
    bool available() const override;

    QString toolTip() const;
    bool isShown() const;
    bool isStatusNotifierItem() const { return sniShown_; }

signals:
    // A click, with the place for a menu when the host gave one.
    void clicked(orvane::TrayEvent event, std::optional<QPoint> menuAt);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StatusIcons& icons_;
    QSystemTrayIcon* xembed_;
    StatusNotifierItem* sni_;
    bool sniShown_ = false;
    std::string shownKey_;
};

}  // namespace orvane
