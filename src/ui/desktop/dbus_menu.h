#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <vector>

class QAction;
class QMenu;

namespace orvane {

// The shapes com.canonical.dbusmenu carries.
struct DBusMenuItem {  // (ia{sv})
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemList = QList<DBusMenuItem>;

struct DBusMenuItemKeys {  // (ias)
    int id = 0;
    QStringList properties;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

struct DBusMenuLayoutItem {  // (ia{sv}av), each child a variant holding the same
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

struct DBusMenuEvent {  // (isvu)
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& keys);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& keys);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& e);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& e);

// Registers the types above with QtDBus; needed before they cross the bus.
void registerDBusMenuTypes();

class DBusMenuAdaptor;

// A menu offered to tray hosts over com.canonical.dbusmenu: hosts that draw the menu
// themselves (GNOME's AppIndicator, Xfce, LXQt, waybar, Plasma) read its items, captions and
// marks from here, and report the item chosen, which is then triggered as if clicked in the
// menu itself. Item ids are the positions in the menu, from 1; 0 is the menu.
class DBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit DBusMenuExporter(QMenu& menu, QObject* parent = nullptr);
    ~DBusMenuExporter() override;

    // Offers the menu at `path`; false when that cannot be done (no bus, path taken).
    bool publish(QDBusConnection bus, const QString& path);
    void withdraw();
    uint revision() const { return revision_; }

signals:
    // A host is about to show the menu.
    void aboutToShow();

private:
    friend class DBusMenuAdaptor;
    QAction* actionOf(int id) const;
    bool knows(int id) const { return id == 0 || actionOf(id) != nullptr; }
    QVariantMap propertiesOf(int id) const;
    DBusMenuLayoutItem layoutOf(int id, int depth, const QStringList& names) const;
    // A host chose or opened something.
    void event(int id, const QString& eventId);
    void opening();
    // Answers the call being handled with an error: there is no item `id`.
    void refuse(int id);
    // Marks or visibility changed: hosts hear only what differs from what they were told.
    void scheduleUpdate();
    void sendUpdate();

    QMenu& menu_;
    std::vector<QPointer<QAction>> actions_;
    std::vector<QVariantMap> sent_;
    DBusMenuAdaptor* adaptor_;
    QDBusConnection bus_{QString()};
    QString path_;
    uint revision_ = 1;
    bool updatePending_ = false;
};

}  // namespace orvane

Q_DECLARE_METATYPE(orvane::DBusMenuItem)
Q_DECLARE_METATYPE(orvane::DBusMenuItemKeys)
Q_DECLARE_METATYPE(orvane::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(orvane::DBusMenuEvent)
