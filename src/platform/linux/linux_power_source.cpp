#include "platform/linux/linux_power_source.h"

#include "platform/linux/bus_connection.h"
#include "platform/linux/linux_log.h"
#include "platform/linux/sysfs_source.h"
#include "platform/linux/upower_source.h"

namespace orvane {

std::unique_ptr<PowerStatusSource> makeLinuxPowerSource() {
    auto upower = std::make_unique<UPowerSource>(BusConnection::system());
    if (upower->daemonInstalled()) {
        qCDebug(lcPower) << "using UPower";
        return upower;
    }
    // Test and diagnostic override: read this directory instead of /sys/class/power_supply.
    QString root = qEnvironmentVariable("ORVANE_SYSFS_POWER_ROOT");
    if (root.isEmpty()) root = QStringLiteral("/sys/class/power_supply");
    qCDebug(lcPower) << "no UPower, reading" << root;
    return std::make_unique<SysfsPowerSource>(root);
}

}  // namespace orvane
