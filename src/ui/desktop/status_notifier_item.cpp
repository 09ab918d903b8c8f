#include "ui/desktop/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>

#include "ui/common/log_categories.h"
#include "ui/desktop/dbus_menu.h"

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");

// One picture as the protocol carries it: ARGB32 in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmaps icons;
    QString title;
    QString text;
};

}  // namespace

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)

namespace {

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& p) {
    arg.beginStructure();
    arg << p.width << p.height << p.argb;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& p) {
    arg.beginStructure();
    arg >> p.width >> p.height >> p.argb;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& t) {
    arg.beginStructure();
    arg << t.iconName << t.icons << t.title << t.text;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& t) {
    arg.beginStructure();
    arg >> t.iconName >> t.icons >> t.title >> t.text;
    arg.endStructure();
    return arg;
}

SniPixmaps pixmapsOf(const QIcon& icon) {
    SniPixmaps out;
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) sizes = {QSize(16, 16), QSize(32, 32)};
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) continue;
        SniPixmap p{image.width(), image.height(), {}};
        p.argb.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
        auto* to = reinterpret_cast<quint32*>(p.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* from = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) *to++ = qToBigEndian(from[x]);
        }
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace

namespace orvane {

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

const char* const kItemIntrospection = R"xml(  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <method name="ProvideXdgActivationToken"><arg name="token" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
    <method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
    <signal name="PropertiesChanged"><arg name="interface_name" type="s"/><arg name="changed_properties" type="a{sv}"/><arg name="invalidated_properties" type="as"/></signal>
  </interface>
)xml";

}  // namespace

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QObject* parent)
    : QDBusVirtualObject(parent),
      bus_(std::move(bus)),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                   .arg(QCoreApplication::applicationPid())),
      watcher_(
          new QDBusServiceWatcher(kWatcher, bus_, QDBusServiceWatcher::WatchForOwnerChange, this)),
      readersWatcher_(new QDBusServiceWatcher(QString(), bus_,
                                              QDBusServiceWatcher::WatchForUnregistration, this)) {
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    if (!bus_.isConnected()) return;
    // A panel that starts later, or restarts, brings a watcher with no items.
    connect(
        watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& owner) { onWatcherOwner(owner); });
    // A host that leaves the bus (a panel that quits or crashes) shows the item no more.
    connect(readersWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& name) {
                readersWatcher_->removeWatchedService(name);
                if (!readers_.remove(name)) return;
                if (watcherPresent()) askForHost();
                emit trayChanged();
            });
    bus_.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"),
                 this, SLOT(onHostRegistered()));
    bus_.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostUnregistered"),
                 this, SLOT(onHostUnregistered()));
    watcherOwner_ = bus_.interface()->serviceOwner(kWatcher).value();
    if (watcherPresent()) {
        // Asked at once: whether Minimize may hide the main window at start depends on it.
        QDBusMessage get = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kProperties,
                                                          QStringLiteral("Get"));
        get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage reply = bus_.call(get, QDBus::Block, 2000);
        hostPresent_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                       reply.arguments().first().value<QDBusVariant>().variant().toBool();
    }
}

QString StatusNotifierItem::introspect(const QString&) const {
    return QString::fromLatin1(kItemIntrospection);
}

QVariant StatusNotifierItem::property(const QString& name) const {
    const QString app = QCoreApplication::applicationName();
    if (name == QLatin1String("Category")) return QStringLiteral("Hardware");
    if (name == QLatin1String("Id") || name == QLatin1String("Title")) return app;
    if (name == QLatin1String("Status")) return QStringLiteral("Active");
    if (name == QLatin1String("WindowId")) return 0;
    if (name == QLatin1String("IconPixmap")) return QVariant::fromValue(pixmapsOf(icon_));
    if (name == QLatin1String("OverlayIconPixmap") || name == QLatin1String("AttentionIconPixmap"))
        return QVariant::fromValue(SniPixmaps());
    if (name == QLatin1String("IconThemePath") || name == QLatin1String("IconName") ||
        name == QLatin1String("OverlayIconName") || name == QLatin1String("AttentionIconName") ||
        name == QLatin1String("AttentionMovieName"))
        return QString();
    if (name == QLatin1String("ToolTip")) {
        // Hosts show the title as the tip's heading: the program's name, the status below it.
        const QString text = toolTip_ == app ? QString() : toolTip_;
        return QVariant::fromValue(SniToolTip{QString(), {}, app, text});
    }
    // A left click activates; the menu is for the right one.
    if (name == QLatin1String("ItemIsMenu")) return false;
    if (name == QLatin1String("Menu"))
        return QVariant::fromValue(
            QDBusObjectPath(menuPublished_ ? kMenuPath : QStringLiteral("/NO_DBUSMENU")));
    return {};
}

QVariantMap StatusNotifierItem::properties() const {
    QVariantMap all;
    for (const char* name :
         {"Category", "Id", "Title", "Status", "WindowId", "IconThemePath", "IconName",
          "IconPixmap", "OverlayIconName", "OverlayIconPixmap", "AttentionIconName",
          "AttentionIconPixmap", "AttentionMovieName", "ToolTip", "ItemIsMenu", "Menu"})
        all.insert(QLatin1String(name), property(QLatin1String(name)));
    return all;
}

bool StatusNotifierItem::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
    const QString iface = message.interface();
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    const auto point = [&args] {
        return args.size() >= 2 ? QPoint(args.at(0).toInt(), args.at(1).toInt()) : QPoint();
    };
    const auto reply = [&](const QList<QVariant>& out = {}) {
        connection.send(message.createReply(out));
        return true;
    };
    if (iface == kProperties) {
        if (args.isEmpty() ||
            (args.first().toString() != kItemInterface && !args.first().toString().isEmpty())) {
            connection.send(
                message.createErrorReply(QDBusError::UnknownInterface, args.value(0).toString()));
            return true;
        }
        seenBy(message.service());
        if (member == QLatin1String("GetAll") ||
            (member == QLatin1String("Get") &&
             args.value(1).toString() == QLatin1String("IconPixmap")))
            qCDebug(lcDisplay).noquote() << "tray icon read by" << message.service();
        if (member == QLatin1String("GetAll")) return reply({properties()});
        if (member == QLatin1String("Get") && args.size() >= 2) {
            const QVariant value = property(args.at(1).toString());
            if (value.isValid()) return reply({QVariant::fromValue(QDBusVariant(value))});
            connection.send(
                message.createErrorReply(QDBusError::UnknownProperty, args.at(1).toString()));
            return true;
        }
        connection.send(
            message.createErrorReply(QDBusError::PropertyReadOnly, QStringLiteral("read-only")));
        return true;
    }
    if (iface != kItemInterface && !iface.isEmpty()) return false;
    if (member == QLatin1String("Activate")) {
        reply();
        emit activated(point());
    } else if (member == QLatin1String("SecondaryActivate")) {
        reply();
        emit secondaryActivated(point());
    } else if (member == QLatin1String("ContextMenu")) {
        reply();
        emit contextMenuRequested(point());
    } else if (member == QLatin1String("Scroll")) {
        reply();
    } else if (member == QLatin1String("ProvideXdgActivationToken")) {
        // Sent before a click: on Wayland the token lets the compositor give the window we
        // raise the focus. Qt's Wayland platform takes it from the environment when it
        // activates a window next.
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && !args.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", args.first().toString().toUtf8());
        reply();
    } else {
        return false;
    }
    return true;
}

void StatusNotifierItem::seenBy(const QString& reader) {
    if (reader.isEmpty() || readers_.contains(reader)) return;
    readers_.insert(reader);
    readersWatcher_->addWatchedService(reader);
    // It may have left before the watch began.
    if (!bus_.interface()->isServiceRegistered(reader).value()) {
        readers_.remove(reader);
        readersWatcher_->removeWatchedService(reader);
        return;
    }
    emit trayChanged();
}

void StatusNotifierItem::emitItemSignal(const QString& name) {
    // A host that has not read the item yet will read it as it is: telling it now only makes it
    // read twice, and GNOME's AppIndicator drops a new picture that comes while it still
    // converts the last one.
    if (shown_ && !readers_.isEmpty())
        bus_.send(QDBusMessage::createSignal(kItemPath, kItemInterface, name));
}

StatusNotifierItem::~StatusNotifierItem() {
    hide();
}

bool StatusNotifierItem::shownInTray() const {
    return shown_ && watcherPresent() && !refused_ && (hostPresent_ || !readers_.isEmpty());
}

void StatusNotifierItem::setMenu(QMenu& menu) {
    if (menu_) return;  // one menu for the item's life
    menu_ = new DBusMenuExporter(menu, this);
    connect(menu_, &DBusMenuExporter::aboutToShow, this, &StatusNotifierItem::menuAboutToShow);
}

void StatusNotifierItem::show() {
    if (shown_) return;
    shown_ = true;
    refused_ = false;
    if (!bus_.registerService(service_) || !bus_.registerVirtualObject(kItemPath, this)) {
        qCDebug(lcDisplay) << "the tray item could not be offered on the session bus:"
                           << bus_.lastError().message();
        refused_ = true;
        return;
    }
    menuPublished_ = menu_ && menu_->publish(bus_, kMenuPath);
    if (watcherPresent()) registerWithWatcher();
}

void StatusNotifierItem::hide() {
    if (!shown_) return;
    shown_ = false;
    registered_ = false;
    for (const QString& reader : std::as_const(readers_))
        readersWatcher_->removeWatchedService(reader);
    readers_.clear();
    if (menu_) menu_->withdraw();
    menuPublished_ = false;
    // Hosts drop an item whose name leaves the bus.
    bus_.unregisterObject(kItemPath);
    bus_.unregisterService(service_);
}

void StatusNotifierItem::onWatcherOwner(const QString& owner) {
    if (owner == watcherOwner_) return;
    qCDebug(lcDisplay).noquote() << "tray watcher" << (owner.isEmpty() ? "gone" : "now " + owner);
    watcherOwner_ = owner;
    registered_ = false;
    refused_ = false;
    hostPresent_ = false;
    // The hosts of a watcher gone (a panel that was both) have gone too, or will say so.
    if (watcherPresent()) {
        if (shown_) registerWithWatcher();
        askForHost();
    }
    emit watcherChanged();
    emit trayChanged();
}

void StatusNotifierItem::registerWithWatcher() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
    // By the item's path, so the watcher takes the sender's unique name: watchers that resolve a
    // well-known name first (GNOME's AppIndicator) can lose the item in that race under load.
    call << kItemPath;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    const QString owner = watcherOwner_;
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, owner](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                // An answer from a watcher since replaced says nothing of the one there now.
                if (owner != watcherOwner_ || !shown_) return;
                registered_ = !w->isError();
                refused_ = w->isError();
                if (w->isError())
                    qCDebug(lcDisplay) << "the tray host refused the item:" << w->error().message();
                emit trayChanged();
            });
}

void StatusNotifierItem::askForHost() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    const QString owner = watcherOwner_;
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, owner](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (owner != watcherOwner_) return;
                QDBusPendingReply<QDBusVariant> reply = *w;
                setHost(!reply.isError() && reply.value().variant().toBool());
            });
}

void StatusNotifierItem::onHostRegistered() {
    setHost(true);
}

// Another host may still be there: ask rather than assume.
void StatusNotifierItem::onHostUnregistered() {
    if (watcherPresent()) askForHost();
}

void StatusNotifierItem::setHost(bool present) {
    if (present == hostPresent_) return;
    hostPresent_ = present;
    emit trayChanged();
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
    icon_ = icon;
    emitItemSignal(QStringLiteral("NewIcon"));
}

void StatusNotifierItem::setToolTip(const QString& text) {
    if (text == toolTip_) return;
    toolTip_ = text;
    emitItemSignal(QStringLiteral("NewToolTip"));
}

}  // namespace orvane
