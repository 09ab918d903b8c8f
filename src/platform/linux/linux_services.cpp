#include "platform/services.h"

#include "platform/linux/desktop_link_opener.h"
#include "platform/linux/linux_power_source.h"
#include "platform/linux/signal_watcher.h"
#include "platform/posix/autostart_backend.h"
#include "platform/posix/reg_file_backend.h"
#include "platform/posix/single_instance_lock.h"
#include "platform/posix/system_clock.h"

#include <unistd.h>

#include <climits>

namespace orvane {

namespace {

// The running program file as the kernel names it: its bytes as they are, where a path
// decoded to text and back may lose any that are not UTF-8.
std::string runningProgram() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::unique_ptr<SettingsBackend> makeUserStore() {
    return std::make_unique<RegFileBackend>(RegFileBackend::defaultPath());
}

PlatformServices makePlatformServices() {
    PlatformServices s;
    s.programPath = runningProgram();
    s.instance = std::make_unique<SingleInstanceLock>(SingleInstanceLock::defaultPath());
    s.userStore = makeUserStore();
    s.machineStore = std::make_unique<AutostartBackend>(AutostartBackend::defaultUserDir(),
                                                        AutostartBackend::defaultSystemDirs());
    s.power = makeLinuxPowerSource();
    s.clock = std::make_unique<SystemClock>();
    s.links = std::make_unique<DesktopLinkOpener>();
    s.termination = std::make_unique<SignalWatcher>();
    return s;
}

}  // namespace orvane
