#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSet>
#include <QString>

class QDBusServiceWatcher;
class QMenu;

namespace orvane {

class DBusMenuExporter;

// The tray icon as a StatusNotifierItem, for the hosts that show those (KDE Plasma, GNOME with
// the AppIndicator extension, Xfce, LXQt, waybar). It registers with the session's
// org.kde.StatusNotifierWatcher whenever one appears or replaces another, so a panel started
// after the program still shows it. Hosts draw its menu themselves from the exported
// com.canonical.dbusmenu object; a host that asks for ours instead calls ContextMenu. A host
// reports a left click as Activate and a middle click as SecondaryActivate; it never reports
// a double click.
//
// Whether the icon is on show is known from the watcher (IsStatusNotifierHostRegistered, which
// not every watcher keeps up to date) and from the hosts themselves: a host that shows the item
// reads its properties, and is taken to show it until it leaves the bus.
class StatusNotifierItem : public QDBusVirtualObject {
    Q_OBJECT
public:
    explicit StatusNotifierItem(QDBusConnection bus, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // A watcher is on the bus: the item belongs there, shown once a host is.
    bool watcherPresent() const { return !watcherOwner_.isEmpty(); }
    // Offered, not refused by the watcher, and a host is there to show it.
    bool shownInTray() const;

    // The menu hosts draw; set before show().
    void setMenu(QMenu& menu);
    void show();
    void hide();
    bool isShown() const { return shown_; }
    // The watcher has taken the item.
    bool isRegistered() const { return registered_; }

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& text);
    QString toolTip() const { return toolTip_; }
    QIcon icon() const { return icon_; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

signals:
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    void contextMenuRequested(QPoint at);
    // A host is about to draw the menu.
    void menuAboutToShow();
    // A watcher appeared, was replaced or went away.
    void watcherChanged();
    // shownInTray() may have changed.
    void trayChanged();

private slots:
    void onHostRegistered();
    void onHostUnregistered();

private:
    void onWatcherOwner(const QString& owner);
    void registerWithWatcher();
    void askForHost();
    void setHost(bool present);
    void seenBy(const QString& reader);
    QVariant property(const QString& name) const;
    QVariantMap properties() const;
    void emitItemSignal(const QString& name);

    QDBusConnection bus_;
    QString service_;
    DBusMenuExporter* menu_ = nullptr;
    QDBusServiceWatcher* watcher_;
    // The bus names that read the item: the hosts showing it.
    QDBusServiceWatcher* readersWatcher_;
    QSet<QString> readers_;
    QString watcherOwner_;
    QIcon icon_;
    QString toolTip_;
    bool shown_ = false;
    bool registered_ = false;
    bool refused_ = false;
    bool hostPresent_ = false;
    bool menuPublished_ = false;
};

}  // namespace orvane
