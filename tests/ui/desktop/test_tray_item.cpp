// The tray item and its exported menu as a tray host sees them over a private session bus: what
// the menu holds and how it follows the program, what a host's events do, and how the icon
// follows a watcher that comes, goes, or has no host. The hosts themselves (GNOME, Xfce, LXQt,
// waybar, Plasma) are driven in tests/e2e/tray_on_desktop.sh; here the watcher is a stand-in.
#include <QtDBus>

#include "ui/common/popup_place.h"
#include "ui/desktop/dbus_menu.h"
#include "ui/program.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kMenuIface = QStringLiteral("com.canonical.dbusmenu");
const QString kItemIface = QStringLiteral("org.kde.StatusNotifierItem");

// The watcher's side of a panel, on a connection and a thread of its own as if it were another
// process: the program asks it things with blocking calls.
class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER host_)

public:
    explicit Watcher(bool host) : host_(host) {
        thread_.start();
        moveToThread(&thread_);
        QDBusConnection c = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "watcher");
        c.registerObject("/StatusNotifierWatcher", this,
                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        c.registerService("org.kde.StatusNotifierWatcher");
    }
    ~Watcher() override {
        QDBusConnection::disconnectFromBus("watcher");
        thread_.quit();
        thread_.wait();
    }
    QStringList items() const {
        QMutexLocker lock(&mutex_);
        return items_;
    }

public slots:
    void RegisterStatusNotifierItem(const QString& serviceOrPath) {
        QMutexLocker lock(&mutex_);
        items_ << (serviceOrPath.startsWith('/') ? message().service() + serviceOrPath
                                                 : serviceOrPath);
    }

private:
    bool host_;
    QThread thread_;
    mutable QMutex mutex_;
    QStringList items_;
};

// An item of the exported menu: its label, ":" and its mark if it has one, " (hidden)" when
// hidden; a separator is "-".
QString line(const QVariantMap& p) {
    QString text = p.value("type") == "separator" ? "-" : p.value("label").toString();
    if (p.value("toggle-type") == "checkmark") text += ":" + p.value("toggle-state").toString();
    return text + (p.value("visible").toBool() ? "" : " (hidden)");
}

struct Host {
    Host() : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "host")) {
        registerDBusMenuTypes();
        item = bus.interface()
                   ->serviceOwner(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                                      .arg(QCoreApplication::applicationPid()))
                   .value();
    }
    ~Host() { QDBusConnection::disconnectFromBus("host"); }

    QDBusMessage call(const QString& iface, const QString& method, const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            item, iface == kMenuIface ? "/MenuBar" : "/StatusNotifierItem", iface, method);
        m.setArguments(args);
        // The item answers on this thread: its events must go on while waiting.
        return bus.call(m, QDBus::BlockWithGui, 5000);
    }
    QVariant property(const QString& name) {
        const QDBusMessage r = call("org.freedesktop.DBus.Properties", "Get", {kItemIface, name});
        return r.arguments().value(0).value<QDBusVariant>().variant();
    }
    // The menu as a host reads it: its items' lines, apart, in order.
    QString menu(uint* revision = nullptr) {
        const QDBusMessage r = call(kMenuIface, "GetLayout", {0, -1, QStringList()});
        if (r.type() != QDBusMessage::ReplyMessage) return r.errorMessage();
        if (revision) *revision = r.arguments().at(0).toUInt();
        DBusMenuLayoutItem root;
        r.arguments().at(1).value<QDBusArgument>() >> root;
        QStringList lines;
        // Item ids are the menu's positions; one that is not says so.
        for (const DBusMenuLayoutItem& c : root.children)
            lines << (c.id == lines.size() + 1 ? "" : QString("id %1 ").arg(c.id)) +
                         line(c.properties);
        return lines.join('|');
    }
    QDBusMessage::MessageType event(int id, const QString& what = "clicked") {
        return call(kMenuIface, "Event", {id, what, QVariant::fromValue(QDBusVariant("")), 0u})
            .type();
    }

    QDBusConnection bus;
    QString item;
};

}  // namespace

class TrayItemTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName("Orvane"); }

    void theItemAndItsMenuAsHostsReadThem() {
        Watcher watcher(true);
        Program p;
        Host host;
        QTRY_COMPARE(watcher.items(), QStringList{host.item + "/StatusNotifierItem"});
        QCOMPARE(host.property("Menu").value<QDBusObjectPath>().path(), "/MenuBar");
        QCOMPARE(host.property("ItemIsMenu").toBool(), false);

        uint revision = 0;
        const QString full =
            "Exit|-|Control Center|-|Refresh Status|-|Full:1|Compact:0|Minimize:0|-|"
            "Start with Windows:0|Always On Top:0|-|About";
        QCOMPARE(host.menu(&revision), full);

        QSignalSpy heard(this, &TrayItemTest::menuSignal);
        for (const char* name : {"ItemsPropertiesUpdated", "LayoutUpdated"})
            host.bus.connect(host.item, "/MenuBar", kMenuIface, name, this,
                             SIGNAL(menuSignal(QDBusMessage)));

        // A host's click runs the item: Compact, with the marks and the hidden Always On Top
        // sent once, together, and a new layout for the hidden item.
        QCOMPARE(host.event(8), QDBusMessage::ReplyMessage);
        QTRY_VERIFY(p.checked(MenuItem::Compact));
        QCOMPARE(p.get({Setting::Display}), "1");
        QTRY_COMPARE(heard.size(), 2);
        QCOMPARE(heard[1][0].value<QDBusMessage>().member(), "LayoutUpdated");
        QList<DBusMenuItem> changed;
        heard[0][0].value<QDBusMessage>().arguments().at(0).value<QDBusArgument>() >> changed;
        QStringList changes;
        for (const DBusMenuItem& i : changed)
            changes << QString("%1 ").arg(i.id) + line(i.properties);
        QCOMPARE(changes.join('|'), "7 Full:0|8 Compact:1|12 Always On Top:0 (hidden)");
        uint after = 0;
        QCOMPARE(host.menu(&after),
                 "Exit|-|Control Center|-|Refresh Status|-|Full:0|Compact:1|Minimize:0|-|"
                 "Start with Windows:0|Always On Top:0 (hidden)|-|About");
        QVERIFY(after > revision);

        // Nothing for a separator, a hidden item, a hover; an error for an item that is not there.
        for (const auto& [id, what] :
             {std::pair(2, "clicked"), std::pair(12, "clicked"), std::pair(7, "hovered")})
            QCOMPARE(host.event(id, what), QDBusMessage::ReplyMessage);
        QCOMPARE(host.event(99), QDBusMessage::ErrorMessage);
        QCOMPARE(host.call(kMenuIface, "GetLayout", {99, -1, QStringList()}).type(),
                 QDBusMessage::ErrorMessage);
        QTest::qWait(0);
        QVERIFY(p.checked(MenuItem::Compact) && !p.checked(MenuItem::AlwaysOnTop));

        // Back to Full; Exit asks, once, and No keeps the program.
        host.event(7);
        QTRY_VERIFY(p.checked(MenuItem::Full));
        QTRY_COMPARE(host.menu(), full);
        p.messages.answers.push_back(MsgAnswer::No);
        host.event(1);
        QTRY_COMPARE(p.messages.shown.size(), std::size_t(1));
        QCOMPARE(p.lastMessage(), "Are you sure you want to exit Orvane?");
        QVERIFY(!p.main().programEnded());

        // A host opening the menu: in Full mode the main window comes forward first. GNOME's
        // AppIndicator calls AboutToShow when it first reads the menu: that is no opening.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QCOMPARE(host.call(kMenuIface, "AboutToShow", {0}).type(), QDBusMessage::ReplyMessage);
        QCoreApplication::processEvents();  // what the call set going, such as an activation
        QVERIFY(other.isActiveWindow());
        host.call(kMenuIface, "AboutToShowGroup", {QVariant::fromValue(QList<int>{0})});
        QTRY_VERIFY(p.main().isActiveWindow());
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        host.event(0, "opened");
        QTRY_VERIFY(p.main().isActiveWindow());

        // As Plasma reads the item.
        // The tip: the program's name as its heading, the status under it; its icon and
        // pictures are not read.
        const QDBusArgument tip = host.property("ToolTip").value<QDBusArgument>();
        QString iconName, title, text;
        tip.beginStructure();
        tip >> iconName;
        tip.beginArray();
        tip.endArray();
        tip >> title >> text;
        tip.endStructure();
        QCOMPARE(title + "|" + text, "Orvane|Status: 85% Remaining | Time: 2:05 | Pwr: Battery");
        QCOMPARE(host.call(kItemIface, "ProvideXdgActivationToken", {"token"}).type(),
                 QDBusMessage::ReplyMessage);

        // ContextMenu at a place in a bottom panel: our own menu, standing on the panel.
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        host.call(kItemIface, "ContextMenu", {avail.right() - 5, avail.bottom() + 3});
        QMenu* menu = p.main().popupMenu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(avail.contains(menu->geometry()));
        QCOMPARE(menu->geometry().bottom(), avail.bottom());
        menu->hide();
        // A flood of ContextMenu calls opens the menu once, at the last place asked for, and
        // the item answers the next call as soon as they are read.
        QSignalSpy opened(menu, &QMenu::aboutToShow);
        for (int i = 0; i < 500; ++i) {
            QDBusMessage m = QDBusMessage::createMethodCall(host.item, "/StatusNotifierItem",
                                                            kItemIface, "ContextMenu");
            host.bus.send(m << 100 + i % 50 << 100);
        }
        QCOMPARE(host.property("Id").toString(), "Orvane");
        QTRY_COMPARE(opened.size(), 1);
        QCoreApplication::processEvents();  // every call was read before Id was answered
        QCOMPARE(opened.size(), 1);
        QCOMPARE(menu->pos(), QPoint(149, 100));
    }

    void aWatcherThatComesOrGoesMovesTheIconAndMinimizeFollows() {
        Program p;
        p.choose(MenuItem::Minimize);
        // No tray at all (Qt's offscreen platform has none): Minimize keeps the window.
        QVERIFY(p.main().isVisible());
        {
            // A panel starts after the program: the item registers and the window goes.
            Watcher watcher(true);
            QTRY_COMPARE(watcher.items().size(), 1);
            QTRY_VERIFY(!p.main().isVisible());
        }
        // ... and quits: the window is back, the way to the menu.
        QTRY_VERIFY(p.main().isVisible());
        {
            // A watcher whose host has not come yet (kded5 before plasmashell): registered,
            // but not shown until a host reads the item, and no longer once the host leaves.
            Watcher watcher(false);
            QTRY_COMPARE(watcher.items().size(), 1);
            QTest::qWait(50);
            QVERIFY(p.main().isVisible());
            {
                Host host;
                QVERIFY(host.property("IconPixmap").isValid());
                QTRY_VERIFY(!p.main().isVisible());
            }
            QTRY_VERIFY(p.main().isVisible());
        }
    }

    void popupPlacesKeepOffPanelsAndOnTheScreen() {
        const QRect avail(0, 30, 1600, 920);  // panels above 30 and below 950
        const QSize menu(160, 240);
        const std::pair<QPoint, QPoint> pointsAndPlaces[] = {
            {{400, 300}, {400, 300}},    // fits: top-left at the point
            {{1440, 710}, {1440, 710}},  // fits to the pixel: still at the point
            {{1403, 974}, {1403, 710}},  // in the bottom panel: standing on it
            {{1403, 940}, {1403, 700}},  // near the bottom: above the point
            {{1550, 15}, {1390, 30}},    // in the top panel, at the right: below it
            {{1599, 500}, {1439, 500}},  // at the right edge: to the left
            {{-50, -50}, {0, 30}},       // off the screen
            {{2147483647, 2147483647}, {1440, 710}},
            {{-2147483647 - 1, 0}, {0, 30}}};
        for (const auto& [at, place] : pointsAndPlaces)
            QCOMPARE(popupPlace(at, menu, avail), place);
    }

signals:
    void menuSignal(const QDBusMessage& message);
};

QTEST_MAIN(TrayItemTest)
#include "test_tray_item.moc"
