#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <optional>

#include "core/shell/views.h"

class QMenu;
class QSystemTrayIcon;

namespace orvane {

class StatusIcons;
class StatusNotifierItem;
class WindowSystem;

// The notification-area icon; its picture and tip follow each display update. Where the
// session has a StatusNotifierWatcher it is a StatusNotifierItem whose menu the host draws,
// else an XEmbed tray icon, whose clicks count when the button is released, as the table of
// tray events has it. A watcher that appears or goes later moves the icon over.
class TrayIcon : public QObject, public TrayView {
    Q_OBJECT
public:
    // `menu` is the pop-up menu hosts draw themselves.
    TrayIcon(StatusIcons& icons, QMenu& menu, WindowSystem& windows, QObject* parent = nullptr);
    ~TrayIcon() override;

    void add(const std::string& tip) override;
    void modify(const std::string& smallIconKey, const std::string& tip) override;
    void remove() override;
    bool available() const override;

    QString toolTip() const { return tip_; }
    bool isShown() const;
    bool isStatusNotifierItem() const { return usingItem_; }

signals:
    // A click, with the place for a menu when the host gave one.
    void clicked(orvane::TrayEvent event, std::optional<QPoint> menuAt);
    // available() may have changed: a tray came or went.
    void availabilityChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onXEmbedTrayChanged();

private:
    void useStatusNotifierItem();
    void useXEmbed();
    void checkAvailability();

    StatusIcons& icons_;
    WindowSystem& windows_;
    // Made only when needed: Qt decides once, when it is made, which kind of tray it talks to.
    QSystemTrayIcon* xembed_ = nullptr;
    StatusNotifierItem* item_;
    QIcon icon_;
    QString tip_;
    std::string shownKey_;
    std::optional<QPoint> menuAt_;  // a ContextMenu not handled yet
    bool added_ = false;
    bool usingItem_ = false;
    bool wasAvailable_ = false;
};

}  // namespace orvane
