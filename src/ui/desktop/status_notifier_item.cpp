#include "ui/desktop/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QtEndian>

#include "ui/common/log_categories.h"

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");

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

class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ none)
    Q_PROPERTY(QString IconName READ none)
    Q_PROPERTY(SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ none)
    Q_PROPERTY(SniPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ none)
    Q_PROPERTY(SniPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ none)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item)
        : QDBusAbstractAdaptor(item), item_(item) {}

    QString category() const { return QStringLiteral("Hardware"); }
    QString id() const { return QCoreApplication::applicationName(); }
    QString title() const { return QCoreApplication::applicationName(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString none() const { return {}; }
    SniPixmaps iconPixmap() const { return pixmapsOf(item_->icon_); }
    SniPixmaps noPixmaps() const { return {}; }
    SniToolTip toolTip() const { return {QString(), {}, item_->toolTip_, QString()}; }
    // No exported menu: the host asks for ours through ContextMenu, with its place.
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    void Activate(int x, int y) { emit item_->activated(QPoint(x, y)); }
    void SecondaryActivate(int x, int y) { emit item_->secondaryActivated(QPoint(x, y)); }
    void ContextMenu(int x, int y) { emit item_->contextMenuRequested(QPoint(x, y)); }
    void Scroll(int, const QString&) {}

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* item_;
};

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                   .arg(QCoreApplication::applicationPid())),
      adaptor_(new StatusNotifierItemAdaptor(this)),
      watcher_(new QDBusServiceWatcher(kWatcher, bus_, QDBusServiceWatcher::WatchForRegistration,
                                       this)) {
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    // A host that restarts (a panel crash, a new session) starts with no items.
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (shown_) registerWithWatcher();
    });
}

StatusNotifierItem::~StatusNotifierItem() {
    hide();
}

bool StatusNotifierItem::hostAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcher)) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

void StatusNotifierItem::show() {
    if (shown_) return;
    shown_ = true;
    if (!bus_.registerService(service_) ||
        !bus_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors)) {
        qCDebug(lcDisplay) << "the tray item could not be offered on the session bus:"
                           << bus_.lastError().message();
        return;
    }
    registerWithWatcher();
}

void StatusNotifierItem::hide() {
    if (!shown_) return;
    shown_ = false;
    registered_ = false;
    // Hosts drop an item whose name leaves the bus.
    bus_.unregisterObject(kItemPath);
    bus_.unregisterService(service_);
}

void StatusNotifierItem::registerWithWatcher() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        registered_ = shown_ && !w->isError();
        if (w->isError())
            qCDebug(lcDisplay) << "the tray host refused the item:" << w->error().message();
        w->deleteLater();
    });
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
    icon_ = icon;
    if (shown_) emit adaptor_->NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& text) {
    if (text == toolTip_) return;
    toolTip_ = text;
    if (shown_) emit adaptor_->NewToolTip();
}

}  // namespace orvane

#include "status_notifier_item.moc"
