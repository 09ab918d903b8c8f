#include "platform/linux/linux_power_source.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStringList>

#include "platform/linux/linux_log.h"
#include "platform/linux/sysfs_source.h"
#include "platform/linux/upower_source.h"

namespace orvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");

bool upowerInstalled(const QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon && daemon->isServiceRegistered(kService).value()) return true;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames"));
    const QDBusReply<QStringList> names = bus.call(call, QDBus::Block, 1000);
    return names.isValid() && names.value().contains(kService);
}

}  // namespace

std::unique_ptr<PowerStatusSource> makeLinuxPowerSource() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (upowerInstalled(bus)) {
        qCDebug(lcPower) << "using UPower";
        return std::make_unique<UPowerSource>(bus);
    }
    // Test and diagnostic override: read this directory instead of /sys/class/power_supply.
    QString root = qEnvironmentVariable("ORVANE_SYSFS_POWER_ROOT");
    if (root.isEmpty()) root = QStringLiteral("/sys/class/power_supply");
    qCDebug(lcPower) << "no UPower, reading" << root;
    return std::make_unique<SysfsPowerSource>(root);
}

}  // namespace orvane
