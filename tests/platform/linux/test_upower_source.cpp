// Runs under tests/run-with-upower-mock.sh: a private system bus with dbusmock's upower template.
#include <gtest/gtest.h>
#include <signal.h>

#include <QtDBus>
#include <QtTest>

#include "fakes/fakes.h"
#include "platform/linux/linux_power_source.h"
#include "platform/linux/sysfs_source.h"
#include "platform/linux/upower_source.h"
#include "support/test_support.h"

namespace orvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");
const QString kManagerPath = QStringLiteral("/org/freedesktop/UPower");
const QString kDisplayPath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString kDeviceIface = QStringLiteral("org.freedesktop.UPower.Device");
const PowerSnapshot kUnreachable{255, 255, 255, -1, -1};

// gdbus call --system on the mock's object at `path`; true when it succeeded.
bool mockCall(const QString& path, const QString& method, const QStringList& args) {
    return QProcess::execute("gdbus", QStringList{"call", "--system", "-d", kService, "-o", path,
                                                  "-m", "org.freedesktop.DBus.Mock." + method} +
                                          args) == 0;
}

bool updateDisplay(const QString& gvariantDict) {
    return mockCall(kDisplayPath, "UpdateProperties", {kDeviceIface, gvariantDict});
}

bool emitDisplaySignal(const QString& changed, const QString& invalidated) {
    return mockCall(
        kDisplayPath, "EmitSignal",
        {"org.freedesktop.DBus.Properties", "PropertiesChanged", "sa{sv}as",
         QStringLiteral("[<'%1'>, <%2>, <%3>]").arg(kDeviceIface, changed, invalidated)});
}

// Lets every signal the daemon sent so far reach the source: a round trip to the daemon (the
// bus has written its earlier signals to every socket before its reply), then the source's
// socket is read.
void settle() {
    QDBusConnection::systemBus().call(
        QDBusMessage::createMethodCall(kService, kManagerPath, "org.freedesktop.DBus.Peer", "Ping"),
        QDBus::BlockWithGui, 5000);
    QCoreApplication::processEvents();
}

struct Counted {
    std::unique_ptr<PowerStatusSource> source;
    int notifications = 0;

    explicit Counted(std::unique_ptr<PowerStatusSource> s) : source(std::move(s)) {
        source->setChangeListener([this] { ++notifications; });
    }
    // Waits for the snapshot to become `want`; true when it did.
    bool waitFor(const PowerSnapshot& want) {
        return QTest::qWaitFor([&] { return source->read() == want; }, 10000);
    }
    bool isUPower() const { return dynamic_cast<UPowerSource*>(source.get()) != nullptr; }
};

TEST(UPowerMock, FollowsTheDisplayDeviceAndOnBattery) {
    Counted c(makeLinuxPowerSource());
    ASSERT_TRUE(c.isUPower());
    // Read at construction: 85 % discharging, 7530 s left, 100 Wh at 10 W.
    EXPECT_EQ(c.source->read(), (PowerSnapshot{0, 1, 85, 7530, 36000}));
    // The reading a change leads to, and the notifications so far.
    const auto expect = [&c](const char* what, const PowerSnapshot& want, int notifications) {
        EXPECT_TRUE(c.waitFor(want)) << what;
        settle();
        EXPECT_EQ(c.notifications, notifications) << what;
    };
    ASSERT_TRUE(updateDisplay("{'Percentage': <30.0>, 'TimeToEmpty': <int64 2700>}"));
    expect("one signal carrying two properties", {0, 2, 30, 2700, 36000}, 1);
    ASSERT_TRUE(updateDisplay("{'IconName': <'battery-low-symbolic'>, 'Energy': <29.0>}"));
    expect("properties the snapshot does not use", {0, 2, 30, 2700, 36000}, 1);
    ASSERT_TRUE(emitDisplaySignal("{'Percentage': <50.0>}", "@as []"));
    expect("a signal's value", {0, 0, 50, 2700, 36000}, 2);
    ASSERT_TRUE(emitDisplaySignal("@a{sv} {}", "['Percentage']"));
    expect("an invalidated property, read again from the daemon", {0, 2, 30, 2700, 36000}, 3);
    ASSERT_TRUE(updateDisplay("{'Percentage': <'lots'>}"));
    expect("an odd type", {0, 255, 255, 2700, 36000}, 4);
    ASSERT_TRUE(updateDisplay("{'Percentage': <int32 31>, 'State': <int64 2>}"));
    expect("other number types", {0, 2, 31, 2700, 36000}, 5);
    ASSERT_TRUE(mockCall(kManagerPath, "UpdateProperties", {kService, "{'OnBattery': <false>}"}));
    expect("plugged in", {1, 2, 31, 2700, 36000}, 6);
}

TEST(UPowerMock, DaemonLeavesAndReturns) {
    Counted c(std::make_unique<UPowerSource>(BusConnection::system()));
    ASSERT_NE(c.source->read(), kUnreachable);
    const qint64 pid = qEnvironmentVariable("UPOWER_MOCK_PID").toLongLong();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
    EXPECT_TRUE(c.waitFor(kUnreachable));
    settle();
    EXPECT_EQ(c.notifications, 1);

    // A new mock on the wrapper's bus, left to the wrapper to stop. A new daemon starts blank
    // and announces nothing: the source must ask.
    ASSERT_EQ(QProcess::execute("bash", {"-c", ". '" ORVANE_TESTS_DIR "/upower-mock.sh' && "
                                               "start_upower_mock && hand_over $UPOWER_MOCK_PID &&"
                                               " mock_discharging 70 5000"}),
              0);
    EXPECT_TRUE(c.waitFor({0, 1, 70, 5000, 36000}));
    EXPECT_GE(c.notifications, 2);
    ASSERT_TRUE(updateDisplay("{'Percentage': <69.0>}"));
    EXPECT_TRUE(c.waitFor({0, 1, 69, 5000, 36000})) << "the new daemon's signals are heard";

    // The bus itself going away ends nothing: the source is out of reach, and tells so once.
    const int before = c.notifications;
    ASSERT_EQ(QProcess::execute("pkill",
                                {"-f", qEnvironmentVariable("HARNESS_DIR") + "/dbus-system.conf"}),
              0);
    EXPECT_TRUE(c.waitFor(kUnreachable));
    EXPECT_EQ(c.notifications, before + 1);
}

TEST(UPowerDown, InstalledButNotRunningStaysUPower) {
    Counted c(makeLinuxPowerSource());
    ASSERT_TRUE(c.isUPower());
    settle();  // the activation attempt fails
    EXPECT_EQ(c.source->read(), kUnreachable);
    EXPECT_EQ(c.notifications, 0);
}

// Without UPower the factory reads sysfs. A uevent reads again (throttled to once a minute,
// here not at all) and tells only a change; what no uevent told is read again on asking, and
// not told, the caller handling what it asked for. UPower sources are then out of reach.
TEST(NoUPower, SysfsReadsAgainOnUeventsAndOnAskingAndUPowerIsUnreachable) {
    const test::TempDir root;
    test::writePowerSupply(root.path(), "AC", {{"type", "Mains"}, {"online", "1"}});
    test::writePowerSupply(root.path(), "BAT0",
                           {{"type", "Battery"}, {"status", "Charging"}, {"capacity", "42"}});
    qputenv("ORVANE_SYSFS_POWER_ROOT", QByteArray::fromStdString(root.path()));
    Counted refreshed(makeLinuxPowerSource());
    qunsetenv("ORVANE_SYSFS_POWER_ROOT");
    ASSERT_NE(dynamic_cast<SysfsPowerSource*>(refreshed.source.get()), nullptr);
    EXPECT_EQ(refreshed.source->read(), (PowerSnapshot{1, 8, 42, -1, -1}));

    SysfsPowerSource source(QString::fromStdString(root.path()), std::chrono::milliseconds(0));
    int notifications = 0;
    source.setChangeListener([&] { ++notifications; });
    // The reread a uevent asks for is done once its timer has fired.
    const auto reread = [timer = source.findChild<QTimer*>()] {
        return QTest::qWaitFor([timer] { return !timer->isActive(); }, 5000);
    };
    test::writePowerSupply(root.path(), "BAT0", {{"capacity", "79"}});
    source.handleUevent();
    EXPECT_TRUE(reread());
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(source.read().batteryLifePercent, 79);
    source.handleUevent();  // nothing changed
    EXPECT_TRUE(reread());
    EXPECT_EQ(notifications, 1);
    for (int capacity : {79, 60, 21}) {
        test::writePowerSupply(root.path(), "BAT0", {{"capacity", std::to_string(capacity)}});
        refreshed.source->refresh();
        EXPECT_EQ(refreshed.source->read().batteryLifePercent, capacity);
    }
    EXPECT_EQ(refreshed.notifications, 0);

    UPowerSource noDaemon(BusConnection::system());
    UPowerSource noBus(BusConnection::open("unix:path=/nonexistent"));
    settle();
    EXPECT_EQ(noDaemon.read(), kUnreachable);
    EXPECT_EQ(noBus.read(), kUnreachable);
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
