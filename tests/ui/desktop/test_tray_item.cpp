// The tray item and its exported menu as a tray host sees them over a private session bus: what
// the menu holds and how it follows the program, what a host's events do, and how the icon
// follows a watcher that comes, goes, or has no host. The hosts themselves (GNOME, Xfce, LXQt,
// waybar, Plasma) are driven in tests/e2e/tray_on_desktop.sh; here the watcher is a stand-in.
#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QMenu>
#include <QMutex>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

#include "ui/common/popup_place.h"
#include "ui/desktop/dbus_menu.h"
#include "ui/program.h"
#include "ui/shell/tray_icon.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kWatcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kMenuIface = QStringLiteral("com.canonical.dbusmenu");

// The watcher's side of a panel, on a connection and a thread of its own as if it were another
// process: the program asks it things with blocking calls.
class WatcherObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    explicit WatcherObject(bool host) : host_(host) {}
    bool hostRegistered() const { return host_; }
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
    void RegisterStatusNotifierHost(const QString&) {}

private:
    const bool host_;
    mutable QMutex mutex_;
    QStringList items_;
};

class Watcher {
public:
    Watcher(const QString& connectionName, bool host) : connectionName_(connectionName) {
        object_ = std::make_unique<WatcherObject>(host);
        thread_.start();
        object_->moveToThread(&thread_);
        QDBusConnection c =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
        c.registerObject("/StatusNotifierWatcher", object_.get(),
                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        c.registerService(kWatcherName);
    }
    ~Watcher() {
        QDBusConnection::disconnectFromBus(connectionName_);
        thread_.quit();
        thread_.wait();
    }
    QStringList items() const { return object_->items(); }

private:
    QString connectionName_;
    QThread thread_;
    std::unique_ptr<WatcherObject> object_;
};

struct Host {
    Host() : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "host")) {
        registerDBusMenuTypes();
        item = bus.interface()
                   ->serviceOwner(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                                      .arg(QCoreApplication::applicationPid()))
                   .value();
    }
    ~Host() { QDBusConnection::disconnectFromBus("host"); }

    QDBusMessage call(const QString& path, const QString& iface, const QString& method,
                      const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(item, path, iface, method);
        m.setArguments(args);
        // The item answers on this thread: its events must go on while waiting.
        return bus.call(m, QDBus::BlockWithGui, 5000);
    }
    QVariant property(const QString& name) {
        const QDBusMessage r = call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                                    {"org.kde.StatusNotifierItem", name});
        return r.arguments().value(0).value<QDBusVariant>().variant();
    }
    DBusMenuLayoutItem layout(uint* revision = nullptr) {
        const QDBusMessage r = call("/MenuBar", kMenuIface, "GetLayout", {0, -1, QStringList()});
        DBusMenuLayoutItem root;
        if (r.type() != QDBusMessage::ReplyMessage) return root;
        if (revision) *revision = r.arguments().at(0).toUInt();
        r.arguments().at(1).value<QDBusArgument>() >> root;
        return root;
    }
    QDBusMessage event(int id, const QString& what = "clicked") {
        return call("/MenuBar", kMenuIface, "Event",
                    {id, what, QVariant::fromValue(QDBusVariant(QString())), 0u});
    }

    QDBusConnection bus;
    QString item;
};

// One line per item: "label|toggle-state|visible", separators "-|visible".
QStringList shape(const DBusMenuLayoutItem& root) {
    QStringList out;
    for (const DBusMenuLayoutItem& c : root.children) {
        const QVariantMap& p = c.properties;
        const QString visible = p.value("visible").toBool() ? "shown" : "hidden";
        if (p.value("type").toString() == "separator") {
            out << "-|" + visible;
        } else {
            const QString mark = p.value("toggle-type").toString() == "checkmark"
                                     ? QString::number(p.value("toggle-state").toInt())
                                     : QString();
            out << p.value("label").toString() + "|" + mark + "|" + visible;
        }
    }
    return out;
}

}  // namespace

class TrayItemTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName("Orvane"); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void theExportedMenuIsTheProgramsAndFollowsIt() {
        Watcher watcher("watcher", true);
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        QVERIFY(p.host->tray().isStatusNotifierItem());
        Host host;
        QVERIFY(!host.item.isEmpty());
        QTRY_COMPARE(watcher.items(), QStringList{host.item + "/StatusNotifierItem"});
        QCOMPARE(host.property("Menu").value<QDBusObjectPath>().path(), QString("/MenuBar"));
        QCOMPARE(host.property("ItemIsMenu").toBool(), false);

        uint revision = 0;
        const QStringList full{"Exit||shown",
                               "-|shown",
                               "Control Center||shown",
                               "-|shown",
                               "Refresh Status||shown",
                               "-|shown",
                               "Full|1|shown",
                               "Compact|0|shown",
                               "Minimize|0|shown",
                               "-|shown",
                               "Start with Windows|0|shown",
                               "Always On Top|0|shown",
                               "-|shown",
                               "About||shown"};
        QCOMPARE(shape(host.layout(&revision)), full);
        // Item ids are the menu's positions: Compact is 8.
        QCOMPARE(host.layout().children.at(7).id, 8);

        QSignalSpy updated(this, &TrayItemTest::itemsUpdated);
        QSignalSpy relaid(this, &TrayItemTest::layoutUpdated);
        host.bus.connect(host.item, "/MenuBar", kMenuIface, "ItemsPropertiesUpdated", this,
                         SIGNAL(itemsUpdated(QDBusMessage)));
        host.bus.connect(host.item, "/MenuBar", kMenuIface, "LayoutUpdated", this,
                         SIGNAL(layoutUpdated(QDBusMessage)));

        // A host's click runs the item: Compact, with the marks and the hidden Always On Top
        // sent once, together.
        QCOMPARE(host.event(8).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY(p.checked(MenuItem::Compact));
        QCOMPARE(p.get(Setting::Display), std::string("1"));
        QTRY_COMPARE(updated.size(), 1);
        QTRY_COMPARE(relaid.size(), 1);
        QList<DBusMenuItem> changed;
        updated.first().first().value<QDBusMessage>().arguments().at(0).value<QDBusArgument>() >>
            changed;
        QStringList changes;
        for (const DBusMenuItem& i : changed)
            changes << QString("%1:%2:%3")
                           .arg(i.id)
                           .arg(i.properties.value("toggle-state").toInt())
                           .arg(i.properties.value("visible").toBool());
        QCOMPARE(changes, (QStringList{"7:0:1", "8:1:1", "12:0:0"}));
        uint after = 0;
        QStringList compact = full;
        compact[6] = "Full|0|shown";
        compact[7] = "Compact|1|shown";
        compact[11] = "Always On Top|0|hidden";
        QCOMPARE(shape(host.layout(&after)), compact);
        QVERIFY(after > revision);

        // Nothing for a separator, a hidden item, a hover; an error for an item that is not there.
        QCOMPARE(host.event(2).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(host.event(12).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(host.event(7, "hovered").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(host.event(99).type(), QDBusMessage::ErrorMessage);
        QCOMPARE(host.call("/MenuBar", kMenuIface, "GetLayout", {99, -1, QStringList()}).type(),
                 QDBusMessage::ErrorMessage);
        QTest::qWait(0);
        QVERIFY(p.checked(MenuItem::Compact));
        QVERIFY(!p.checked(MenuItem::AlwaysOnTop));

        // Back to Full; Exit asks, once, and No keeps the program.
        host.event(7);
        QTRY_VERIFY(p.checked(MenuItem::Full));
        QTRY_COMPARE(shape(host.layout()), full);
        p.messages.answers.push_back(MsgAnswer::No);
        host.event(1);
        QTRY_COMPARE(p.messages.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(p.messages.shown[0].text),
                 QString("Are you sure you want to exit Orvane?"));
        QVERIFY(!p.main().programEnded());

        // A host opening the menu: in Full mode the main window comes forward first. GNOME's
        // AppIndicator calls AboutToShow when it first reads the menu: that is no opening.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QCOMPARE(host.call("/MenuBar", kMenuIface, "AboutToShow", {0}).type(),
                 QDBusMessage::ReplyMessage);
        QTest::qWait(50);
        QVERIFY(other.isActiveWindow());
        host.call("/MenuBar", kMenuIface, "AboutToShowGroup", {QVariant::fromValue(QList<int>{0})});
        QTRY_VERIFY(p.main().isActiveWindow());
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        host.event(0, "opened");
        QTRY_VERIFY(p.main().isActiveWindow());
    }

    void theItemAsPlasmaReadsIt() {
        Watcher watcher("watcher", true);
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        Host host;
        // The tip: the program's name as its heading, the status under it.
        const QDBusArgument tip = host.property("ToolTip").value<QDBusArgument>();
        QString iconName, title, text;
        tip.beginStructure();
        tip >> iconName;
        tip.beginArray();
        while (!tip.atEnd()) {
            tip.beginStructure();
            int w, h;
            QByteArray data;
            tip >> w >> h >> data;
            tip.endStructure();
        }
        tip.endArray();
        tip >> title >> text;
        tip.endStructure();
        QCOMPARE(title, QString("Orvane"));
        QCOMPARE(text, QString("Status: 85% Remaining | Time: 2:05 | Pwr: Battery"));
        QCOMPARE(host.call("/StatusNotifierItem", "org.kde.StatusNotifierItem",
                           "ProvideXdgActivationToken", {QString("token")})
                     .type(),
                 QDBusMessage::ReplyMessage);

        // ContextMenu at a place in a bottom panel: our own menu, standing on the panel.
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint inPanel(avail.right() - 5, avail.bottom() + 3);
        host.call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "ContextMenu",
                  {inPanel.x(), inPanel.y()});
        QMenu* menu = p.main().popupMenu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(avail.contains(menu->geometry()));
        QCOMPARE(menu->geometry().bottom(), avail.bottom());
        menu->hide();
        // A flood of ContextMenu calls opens the menu once, at the last place asked for, and
        // the item answers the next call as soon as they are read.
        QSignalSpy opened(menu, &QMenu::aboutToShow);
        for (int i = 0; i < 500; ++i) {
            QDBusMessage m = QDBusMessage::createMethodCall(
                host.item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "ContextMenu");
            m << 100 + i % 50 << 100;
            host.bus.send(m);
        }
        QCOMPARE(host.property("Id").toString(), QString("Orvane"));
        QTRY_COMPARE(opened.size(), 1);
        QTest::qWait(50);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(menu->pos(), QPoint(149, 100));
        menu->hide();
        // A place off every screen (a host's nonsense) still opens it where it can be seen.
        host.call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "ContextMenu",
                  {2147483647, 2147483647});
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(avail.contains(menu->geometry()));
        menu->hide();
    }

    void aWatcherThatComesOrGoesMovesTheIconAndMinimizeFollows() {
        p_ = std::make_unique<Program>(dir_->path(), Program::Run::Returning);
        Program& p = *p_;
        QVERIFY(p.host->start());
        p.choose(MenuItem::Minimize);
        // No tray at all (Qt's offscreen platform has none): Minimize keeps the window.
        QVERIFY(!p.host->tray().isStatusNotifierItem());
        QVERIFY(p.main().isVisible());
        {
            // A panel starts after the program: the item registers and the window goes.
            Watcher watcher("watcher", true);
            QTRY_VERIFY(p.host->tray().isStatusNotifierItem());
            QTRY_COMPARE(watcher.items().size(), 1);
            QTRY_VERIFY(!p.main().isVisible());
        }
        // ... and quits: the window is back, the way to the menu.
        QTRY_VERIFY(p.main().isVisible());
        QTRY_VERIFY(!p.host->tray().isStatusNotifierItem());
        {
            // A watcher whose host has not come yet (kded5 before plasmashell): registered,
            // but not shown until a host reads the item, and no longer once the host leaves.
            Watcher watcher("watcher", false);
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
        p_.reset();
    }

    void popupPlacesKeepOffPanelsAndOnTheScreen() {
        const QRect avail(0, 30, 1600, 920);  // panels above 30 and below 950
        const QSize menu(160, 240);
        struct Row {
            QPoint at;
            QPoint place;
        };
        const Row rows[] = {
            {{400, 300}, {400, 300}},    // fits: top-left at the point
            {{1403, 974}, {1403, 710}},  // in the bottom panel: standing on it
            {{1403, 940}, {1403, 700}},  // near the bottom: above the point
            {{1550, 15}, {1390, 30}},    // in the top panel, at the right: below it
            {{1599, 500}, {1439, 500}},  // at the right edge: to the left
            {{-50, -50}, {0, 30}},       // off the screen
            {{2147483647, 2147483647}, {1440, 710}},
            {{-2147483647 - 1, 0}, {0, 30}},
        };
        for (const Row& r : rows) QCOMPARE(popupPlace(r.at, menu, avail), r.place);
    }

signals:
    void itemsUpdated(const QDBusMessage& message);
    void layoutUpdated(const QDBusMessage& message);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Program> p_;
};

QTEST_MAIN(TrayItemTest)
#include "test_tray_item.moc"
