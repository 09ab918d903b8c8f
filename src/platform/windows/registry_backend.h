#pragma once

#include <windows.h>

#include <string>

#include "platform/settings_backend.h"

namespace orvane {

// One hive of the settings store on the real registry, through the ANSI calls: every call
// opens the key, acts and closes it again. `root` is a predefined key (HKEY_CURRENT_USER) or,
// for tests, any open key; it stays the caller's.
class RegistryBackend : public SettingsBackend {
public:
    RegistryBackend(HKEY root, std::string rootName);

    bool createKey(const std::string& keyPath) override;
    bool keyExists(const std::string& keyPath) override;
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override;
    // The registry has no transaction a program can count on; checking every key first keeps
    // a commit into a removed key from writing half of it.
    bool commit(const std::vector<ValueWrite>& writes) override;
    std::optional<RegValue> queryValue(const std::string& keyPath,
                                       const std::string& name) override;
    std::string location() const override { return rootName_; }

private:
    HKEY root_;
    std::string rootName_;
};

// The six specific key rights, asked for on every open.
inline constexpr REGSAM kKeyAccess = 0x3F;

}  // namespace orvane
