#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

class QDBusServiceWatcher;

namespace orvane {

class StatusNotifierItemAdaptor;

// The tray icon as a StatusNotifierItem, for the hosts that show those (KDE Plasma, GNOME with
// the AppIndicator extension, Xfce's panel): registered with the session's
// org.kde.StatusNotifierWatcher, and again whenever the watcher comes back. A host reports a
// left click as Activate, a middle click as SecondaryActivate and a right click as
// ContextMenu, each with a place on the screen; it never reports a double click.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    explicit StatusNotifierItem(QDBusConnection bus, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // A watcher with a host is on the bus: items registered with it are shown.
    static bool hostAvailable(const QDBusConnection& bus);

    void show();
    void hide();
    bool isShown() const { return shown_; }
    // The watcher has taken the item.
    bool isRegistered() const { return registered_; }

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& text);
    QString toolTip() const { return toolTip_; }
    QIcon icon() const { return icon_; }

signals:
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    void contextMenuRequested(QPoint at);

private:
    friend class StatusNotifierItemAdaptor;
    void registerWithWatcher();

    QDBusConnection bus_;
    QString service_;
    StatusNotifierItemAdaptor* adaptor_;
    QDBusServiceWatcher* watcher_;
    QIcon icon_;
    QString toolTip_;
    bool shown_ = false;
    bool registered_ = false;
};

}  // namespace orvane
