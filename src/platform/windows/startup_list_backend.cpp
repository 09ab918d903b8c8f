#include "platform/windows/startup_list_backend.h"

namespace orvane {
namespace {

// True for a string value that holds some text.
bool holdsText(const std::optional<RegValue>& v) {
    if (!v || v->type != static_cast<std::uint32_t>(RegType::String)) return false;
    for (std::uint8_t b : v->data)
        if (b != 0) return true;
    return false;
}

}  // namespace

StartupListBackend::StartupListBackend(HKEY userRoot, HKEY machineRoot)
    : user_(userRoot, "HKEY_CURRENT_USER"), machine_(machineRoot, "HKEY_LOCAL_MACHINE") {}

bool StartupListBackend::setValue(const std::string& keyPath, const std::string& name,
                                  const RegValue& value) {
    if (!user_.createKey(keyPath) || !user_.setValue(keyPath, name, value)) return false;
    if (holdsText(value) || !holdsText(machine_.queryValue(keyPath, name))) return true;
    return machine_.setValue(keyPath, name, value);
}

std::optional<RegValue> StartupListBackend::queryValue(const std::string& keyPath,
                                                       const std::string& name) {
    std::optional<RegValue> user = user_.queryValue(keyPath, name);
    if (holdsText(user)) return user;
    std::optional<RegValue> machine = machine_.queryValue(keyPath, name);
    if (holdsText(machine)) return machine;
    return user ? user : machine;
}

std::string StartupListBackend::location() const {
    return "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}

std::string StartupListBackend::startupValue(const std::string& moduleFileName) {
    const std::size_t slash = moduleFileName.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : moduleFileName.substr(0, slash);
    std::string base =
        slash == std::string::npos ? moduleFileName : moduleFileName.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    return "\"" + folder + "\\" + base + ".EXE\"";
}

}  // namespace orvane
