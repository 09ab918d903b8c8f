#include "ui/desktop/dbus_menu.h"

#include <QAction>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>

#include "ui/common/log_categories.h"

namespace orvane {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& keys) {
    arg.beginStructure();
    arg << keys.id << keys.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& keys) {
    arg.beginStructure();
    arg >> keys.id >> keys.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children)
        arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    item.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant v;
        arg >> v;
        DBusMenuLayoutItem child;
        v.variant().value<QDBusArgument>() >> child;
        item.children.push_back(std::move(child));
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& e) {
    arg.beginStructure();
    arg << e.id << e.eventId << e.data << e.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& e) {
    arg.beginStructure();
    arg >> e.id >> e.eventId >> e.data >> e.timestamp;
    arg.endStructure();
    return arg;
}

void registerDBusMenuTypes() {
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<DBusMenuItemList>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEventList>();
    qDBusRegisterMetaType<QList<int>>();
}

namespace {

// Qt marks a mnemonic with '&' ("&&" for the character itself), dbusmenu with '_'.
QString dbusLabel(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&' && i + 1 < text.size()) {
            ++i;
            out += text.at(i) == u'&' ? QStringLiteral("&") : QStringLiteral("_") + text.at(i);
        } else if (c == u'_') {
            out += QStringLiteral("__");
        } else {
            out += c;
        }
    }
    return out;
}

QVariantMap only(const QVariantMap& all, const QStringList& names) {
    if (names.isEmpty()) return all;
    QVariantMap out;
    for (const QString& n : names)
        if (all.contains(n)) out.insert(n, all.value(n));
    return out;
}

}  // namespace

class DBusMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(DBusMenuExporter* menu) : QDBusAbstractAdaptor(menu), menu_(menu) {}

    uint version() const { return 3; }
    QString textDirection() const {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                     : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   orvane::DBusMenuLayoutItem& layout) {
        if (!menu_->knows(parentId)) {
            refuse(parentId);
        } else {
            layout = menu_->layoutOf(parentId, recursionDepth, propertyNames);
        }
        return menu_->revision();
    }

    QList<orvane::DBusMenuItem> GetGroupProperties(const QList<int>& ids,
                                                   const QStringList& propertyNames) {
        QList<DBusMenuItem> out;
        QList<int> wanted = ids;
        // An empty list asks for every item.
        if (wanted.isEmpty())
            for (int id = 1; id <= static_cast<int>(menu_->actions_.size()); ++id) wanted << id;
        for (int id : wanted)
            if (menu_->knows(id)) out.push_back({id, only(menu_->propertiesOf(id), propertyNames)});
        return out;
    }

    QDBusVariant GetProperty(int id, const QString& name) {
        const QVariantMap all = menu_->propertiesOf(id);
        if (!menu_->knows(id) || !all.contains(name)) {
            refuse(id);
            return QDBusVariant(QString());
        }
        return QDBusVariant(all.value(name));
    }

    void Event(int id, const QString& eventId, const QDBusVariant&, uint) {
        if (!menu_->knows(id)) {
            refuse(id);
            return;
        }
        menu_->event(id, eventId);
    }

    QList<int> EventGroup(const QList<orvane::DBusMenuEvent>& events) {
        QList<int> unknown;
        for (const DBusMenuEvent& e : events) {
            if (menu_->knows(e.id)) {
                menu_->event(e.id, e.eventId);
            } else {
                unknown << e.id;
            }
        }
        return unknown;
    }

    // GNOME's AppIndicator asks this when it first reads the menu, long before anyone opens
    // it; the hosts that call it on opening also send the "opened" event.
    bool AboutToShow(int id) {
        if (!menu_->knows(id)) refuse(id);
        return false;
    }

    // libdbusmenu's hosts (Xfce, waybar) ask this, and only this, as the menu opens.
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
        for (int id : ids) {
            if (!menu_->knows(id)) idErrors << id;
        }
        if (ids.contains(0)) menu_->opening();
        return {};
    }

signals:
    void ItemsPropertiesUpdated(const QList<orvane::DBusMenuItem>& updated,
                                const QList<orvane::DBusMenuItemKeys>& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    void refuse(int id) { menu_->refuse(id); }

    DBusMenuExporter* menu_;

    friend class DBusMenuExporter;
};

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QObject* parent)
    : QObject(parent), menu_(menu), adaptor_(new DBusMenuAdaptor(this)) {
    registerDBusMenuTypes();
    for (QAction* a : menu_.actions()) {
        actions_.emplace_back(a);
        connect(a, &QAction::changed, this, &DBusMenuExporter::scheduleUpdate);
    }
    for (int id = 0; id <= static_cast<int>(actions_.size()); ++id)
        sent_.push_back(propertiesOf(id));
}

DBusMenuExporter::~DBusMenuExporter() {
    withdraw();
}

bool DBusMenuExporter::publish(QDBusConnection bus, const QString& path) {
    withdraw();
    if (!bus.isConnected() || !bus.registerObject(path, this, QDBusConnection::ExportAdaptors))
        return false;
    bus_ = bus;
    path_ = path;
    // What a host reads now is the menu as it stands.
    for (int id = 0; id <= static_cast<int>(actions_.size()); ++id) sent_[id] = propertiesOf(id);
    return true;
}

void DBusMenuExporter::withdraw() {
    if (path_.isEmpty()) return;
    bus_.unregisterObject(path_);
    path_.clear();
}

QAction* DBusMenuExporter::actionOf(int id) const {
    if (id < 1 || id > static_cast<int>(actions_.size())) return nullptr;
    return actions_[static_cast<std::size_t>(id - 1)].data();
}

QVariantMap DBusMenuExporter::propertiesOf(int id) const {
    QVariantMap p;
    if (id == 0) {
        p.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        return p;
    }
    const QAction* a = actionOf(id);
    if (!a) return p;
    p.insert(QStringLiteral("visible"), a->isVisible());
    if (a->isSeparator()) {
        p.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return p;
    }
    p.insert(QStringLiteral("label"), dbusLabel(a->text()));
    p.insert(QStringLiteral("enabled"), a->isEnabled());
    if (a->isCheckable()) {
        p.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
        p.insert(QStringLiteral("toggle-state"), a->isChecked() ? 1 : 0);
    }
    return p;
}

DBusMenuLayoutItem DBusMenuExporter::layoutOf(int id, int depth, const QStringList& names) const {
    DBusMenuLayoutItem item{id, only(propertiesOf(id), names), {}};
    // Only the menu itself has children; a depth of -1 means all levels.
    if (id == 0 && depth != 0) {
        for (int child = 1; child <= static_cast<int>(actions_.size()); ++child)
            if (actionOf(child)) item.children.push_back(layoutOf(child, depth - 1, names));
    }
    return item;
}

void DBusMenuExporter::event(int id, const QString& eventId) {
    qCDebug(lcDisplay).noquote() << "tray host menu event" << eventId << "on item" << id;
    if (id == 0 && eventId == QLatin1String("opened")) {
        opening();
        return;
    }
    if (eventId != QLatin1String("clicked")) return;
    QPointer<QAction> a = actionOf(id);
    if (!a || a->isSeparator() || !a->isEnabled() || !a->isVisible()) return;
    // Answered first: the item may open a modal question, and the host waits for its reply.
    QMetaObject::invokeMethod(
        this,
        [a] {
            if (a) a->trigger();
        },
        Qt::QueuedConnection);
}

// QtDBus gives the call's context to the exported object, not to its adaptor.
void DBusMenuExporter::refuse(int id) {
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no menu item %1").arg(id));
}

void DBusMenuExporter::opening() {
    qCDebug(lcDisplay) << "tray host opens the menu";
    emit aboutToShow();
}

void DBusMenuExporter::scheduleUpdate() {
    if (updatePending_) return;
    updatePending_ = true;
    // Several marks change together (a mode switch): hosts hear of them once.
    QMetaObject::invokeMethod(this, &DBusMenuExporter::sendUpdate, Qt::QueuedConnection);
}

void DBusMenuExporter::sendUpdate() {
    updatePending_ = false;
    DBusMenuItemList changed;
    bool visibilityChanged = false;
    for (int id = 1; id <= static_cast<int>(actions_.size()); ++id) {
        const QVariantMap now = propertiesOf(id);
        QVariantMap& before = sent_[static_cast<std::size_t>(id)];
        if (now == before) continue;
        if (now.value(QStringLiteral("visible")) != before.value(QStringLiteral("visible")))
            visibilityChanged = true;
        changed.push_back({id, now});
        before = now;
    }
    if (changed.isEmpty() || path_.isEmpty()) return;
    emit adaptor_->ItemsPropertiesUpdated(changed, {});
    // Some hosts rebuild their copy only on a new layout when an item comes or goes.
    if (visibilityChanged) emit adaptor_->LayoutUpdated(++revision_, 0);
}

}  // namespace orvane

#include "dbus_menu.moc"
