#pragma once

#include <windows.h>

#include <string>

#include "platform/windows/registry_backend.h"

namespace orvane {

// The start-up list as one user may keep it without an administrator's rights: the program
// writes the user's own Run key; a machine-wide value of the same name (HKEY_LOCAL_MACHINE)
// also starts the program. A read shows the entry in effect: the user's path, else the
// machine's, else the user's empty value. Switching off writes the user's value empty and,
// when a machine-wide path is there, empties that too; without the rights that write fails,
// and the next read shows the entry still on, as it is.
class StartupListBackend : public SettingsBackend {
public:
    StartupListBackend(HKEY userRoot, HKEY machineRoot);

    bool createKey(const std::string& keyPath) override { return user_.createKey(keyPath); }
    bool keyExists(const std::string& keyPath) override { return user_.keyExists(keyPath); }
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override;
    std::optional<RegValue> queryValue(const std::string& keyPath,
                                       const std::string& name) override;
    std::string location() const override;

    // The value that starts this program: its folder, "\", its base name and ".EXE" in
    // capitals, quoted so that a folder with blanks cannot start another program.
    static std::string startupValue(const std::string& moduleFileName);

private:
    RegistryBackend user_;
    RegistryBackend machine_;
};

}  // namespace orvane
