#include "platform/services.h"

#include <windows.h>

#include "platform/windows/named_mutex.h"
#include "platform/windows/registry_backend.h"
#include "platform/windows/session_end_window.h"
#include "platform/windows/shell_link_opener.h"
#include "platform/windows/startup_list_backend.h"
#include "platform/windows/windows_clock.h"
#include "platform/windows/windows_power_source.h"

namespace orvane {

std::unique_ptr<SettingsBackend> makeUserStore() {
    return std::make_unique<RegistryBackend>(HKEY_CURRENT_USER, "HKEY_CURRENT_USER");
}

PlatformServices makePlatformServices() {
    PlatformServices s;
    s.instance = std::make_unique<NamedMutex>(NamedMutex::kDefaultName);
    s.userStore = makeUserStore();
    s.machineStore = std::make_unique<StartupListBackend>(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    s.power = std::make_unique<WindowsPowerSource>();
    s.clock = std::make_unique<WindowsClock>();
    s.links = std::make_unique<ShellLinkOpener>();
    s.termination = std::make_unique<SessionEndWindow>();
    char module[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (n > 0 && n < MAX_PATH) s.programPath = StartupListBackend::startupValue(module);
    return s;
}

}  // namespace orvane
