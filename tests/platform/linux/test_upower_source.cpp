// Runs under tests/run-with-upower-mock.sh: a private system bus with dbusmock's upower template.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QTest>
#include <memory>
#include <vector>

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

// gdbus call --system on the mock; true when the call succeeded.
bool mockCall(const QString& path, const QString& method, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("gdbus"),
            QStringList{"call", "--system", "-d", kService, "-o", path, "-m", method} + args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool updateDisplay(const QString& gvariantDict) {
    return mockCall(kDisplayPath, "org.freedesktop.DBus.Mock.UpdateProperties",
                    {kDeviceIface, gvariantDict});
}

bool emitDisplaySignal(const QString& changed, const QString& invalidated) {
    return mockCall(
        kDisplayPath, "org.freedesktop.DBus.Mock.EmitSignal",
        {"org.freedesktop.DBus.Properties", "PropertiesChanged", "sa{sv}as",
         QStringLiteral("[<'%1'>, <%2>, <%3>]").arg(kDeviceIface, changed, invalidated)});
}

// Lets every signal the daemon sent so far reach the source: a round trip to the daemon (its
// reply comes after its earlier signals), then the source's queued recompute.
void settle() {
    QDBusMessage ping = QDBusMessage::createMethodCall(kService, kManagerPath,
                                                       QStringLiteral("org.freedesktop.DBus.Peer"),
                                                       QStringLiteral("Ping"));
    QDBusPendingCallWatcher w(QDBusConnection::systemBus().asyncCall(ping, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.isFinished(); }, 6000));
    QTest::qWait(100);
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
};

TEST(UPowerMock, FollowsTheDisplayDeviceAndOnBattery) {
    Counted c(makeLinuxPowerSource());
    ASSERT_NE(dynamic_cast<UPowerSource*>(c.source.get()), nullptr);
    // Read at construction: 85 % discharging, 7530 s left, 100 Wh at 10 W.
    EXPECT_EQ(c.source->read(), (PowerSnapshot{0, 1, 85, 7530, 36000}));

    // One signal carrying two properties.
    ASSERT_TRUE(updateDisplay("{'Percentage': <30.0>, 'TimeToEmpty': <int64 2700>}"));
    EXPECT_TRUE(c.waitFor({0, 2, 30, 2700, 36000}));
    settle();
    EXPECT_EQ(c.notifications, 1);

    // Properties the snapshot does not use.
    ASSERT_TRUE(mockCall(kDisplayPath, "org.freedesktop.DBus.Mock.AddProperty",
                         {kDeviceIface, "UpdateTime", "<uint64 1700000000>"}));
    ASSERT_TRUE(updateDisplay("{'UpdateTime': <uint64 1700000030>}"));
    ASSERT_TRUE(updateDisplay("{'IconName': <'battery-low-symbolic'>, 'Energy': <29.0>}"));
    settle();
    EXPECT_EQ(c.notifications, 1);

    // An invalidated property is read again from the daemon (which still has 30 %).
    ASSERT_TRUE(emitDisplaySignal("{'Percentage': <50.0>}", "@as []"));
    EXPECT_TRUE(c.waitFor({0, 0, 50, 2700, 36000}));
    ASSERT_TRUE(emitDisplaySignal("@a{sv} {}", "['Percentage']"));
    EXPECT_TRUE(c.waitFor({0, 2, 30, 2700, 36000}));
    settle();
    EXPECT_EQ(c.notifications, 3);

    // Odd types from the daemon.
    ASSERT_TRUE(updateDisplay("{'Percentage': <'lots'>}"));
    EXPECT_TRUE(c.waitFor({0, 255, 255, 2700, 36000}));
    ASSERT_TRUE(updateDisplay("{'Percentage': <int32 31>, 'State': <int64 2>}"));
    EXPECT_TRUE(c.waitFor({0, 2, 31, 2700, 36000}));
    settle();
    EXPECT_EQ(c.notifications, 5);

    // Plugged in.
    ASSERT_TRUE(mockCall(kManagerPath, "org.freedesktop.DBus.Mock.UpdateProperties",
                         {kService, "{'OnBattery': <false>}"}));
    EXPECT_TRUE(c.waitFor({1, 2, 31, 2700, 36000}));
    settle();
    EXPECT_EQ(c.notifications, 6);
}

TEST(UPowerMock, DaemonLeavesAndReturns) {
    Counted c(std::make_unique<UPowerSource>(QDBusConnection::systemBus()));
    ASSERT_NE(c.source->read(), kUnreachable);

    const qint64 pid = qEnvironmentVariable("UPOWER_MOCK_PID").toLongLong();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
    EXPECT_TRUE(c.waitFor(kUnreachable));
    QTest::qWait(200);
    EXPECT_EQ(c.notifications, 1);

    QProcess ctl;
    ctl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ctl.start(QStringLiteral(ORVANE_TESTS_DIR "/platform/linux/upower-mock-ctl.sh"),
              {"start", "70", "5000"});
    ASSERT_TRUE(ctl.waitForFinished(30000));
    ASSERT_EQ(ctl.exitCode(), 0);
    // A new daemon starts blank and announces nothing: the source must ask.
    EXPECT_TRUE(c.waitFor({0, 1, 70, 5000, 36000}));
    EXPECT_GE(c.notifications, 2);
}

TEST(NoBattery, DisplayDeviceWithoutBattery) {
    Counted c(makeLinuxPowerSource());
    ASSERT_NE(dynamic_cast<UPowerSource*>(c.source.get()), nullptr);
    EXPECT_EQ(c.source->read(), (PowerSnapshot{0, 128, 255, -1, -1}));
}

TEST(UPowerDown, InstalledButNotRunningStaysUPower) {
    Counted c(makeLinuxPowerSource());
    ASSERT_NE(dynamic_cast<UPowerSource*>(c.source.get()), nullptr);
    settle();  // the activation attempt fails
    EXPECT_EQ(c.source->read(), kUnreachable);
    EXPECT_EQ(c.notifications, 0);
}

TEST(NoUPower, FactoryFallsBackToSysfs) {
    const test::TempDir root;
    test::writePowerSupply(root.path(), "AC", {{"type", "Mains"}, {"online", "1"}});
    test::writePowerSupply(root.path(), "BAT0",
                           {{"type", "Battery"}, {"status", "Charging"}, {"capacity", "42"}});
    qputenv("ORVANE_SYSFS_POWER_ROOT", QByteArray::fromStdString(root.path()));
    std::unique_ptr<PowerStatusSource> source = makeLinuxPowerSource();
    qunsetenv("ORVANE_SYSFS_POWER_ROOT");
    auto* sysfs = dynamic_cast<SysfsPowerSource*>(source.get());
    ASSERT_NE(sysfs, nullptr);
    EXPECT_EQ(sysfs->root(), QString::fromStdString(root.path()));
    EXPECT_EQ(source->read(), (PowerSnapshot{1, 8, 42, -1, -1}));
}

TEST(NoUPower, UPowerSourceWithoutDaemonOrBus) {
    UPowerSource noDaemon(QDBusConnection::systemBus());
    UPowerSource noBus(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "orvane-nobus"));
    settle();
    EXPECT_EQ(noDaemon.read(), kUnreachable);
    EXPECT_EQ(noBus.read(), kUnreachable);
}

TEST(SysfsSource, RereadsOnUeventAndNotifiesRealChanges) {
    const test::TempDir root;
    test::writePowerSupply(root.path(), "BAT0",
                           {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "80"}});
    SysfsPowerSource source(QString::fromStdString(root.path()), std::chrono::milliseconds(0));
    int notifications = 0;
    source.setChangeListener([&] { ++notifications; });
    EXPECT_EQ(source.read(), (PowerSnapshot{0, 1, 80, -1, -1}));

    test::writePowerSupply(root.path(), "BAT0", {{"capacity", "79"}});
    source.handleUevent();
    EXPECT_TRUE(QTest::qWaitFor([&] { return notifications == 1; }, 5000));
    EXPECT_EQ(source.read().batteryLifePercent, 79);

    source.handleUevent();  // nothing changed
    QTest::qWait(100);
    EXPECT_EQ(notifications, 1);
}

TEST(SysfsSource, RefreshReadsWhatNoUeventTold) {
    const test::TempDir root;
    test::writePowerSupply(root.path(), "BAT0",
                           {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "80"}});
    SysfsPowerSource source(QString::fromStdString(root.path()));  // uevents at most once a minute
    int notifications = 0;
    source.setChangeListener([&] { ++notifications; });
    for (int capacity : {79, 60, 21}) {
        test::writePowerSupply(root.path(), "BAT0", {{"capacity", std::to_string(capacity)}});
        source.refresh();
        EXPECT_EQ(source.read().batteryLifePercent, capacity);
    }
    EXPECT_EQ(notifications, 0) << "the caller handles what it asked for";
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
