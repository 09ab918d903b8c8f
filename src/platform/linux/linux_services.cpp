#include "platform/services.h"

#include "platform/linux/autostart_backend.h"
#include "platform/linux/desktop_link_opener.h"
#include "platform/linux/linux_power_source.h"
#include "platform/linux/reg_file_backend.h"
#include "platform/linux/signal_watcher.h"
#include "platform/linux/single_instance_lock.h"
#include "platform/linux/system_clock.h"

namespace orvane {

PlatformServices makePlatformServices() {
    PlatformServices s;
    s.instance = std::make_unique<SingleInstanceLock>(SingleInstanceLock::defaultPath());
    s.userStore = std::make_unique<RegFileBackend>(RegFileBackend::defaultPath());
    s.machineStore = std::make_unique<AutostartBackend>(AutostartBackend::defaultUserDir(),
                                                        AutostartBackend::defaultSystemDirs());
    s.power = makeLinuxPowerSource();
    s.clock = std::make_unique<SystemClock>();
    s.links = std::make_unique<DesktopLinkOpener>();
    s.termination = std::make_unique<SignalWatcher>();
    return s;
}

}  // namespace orvane
