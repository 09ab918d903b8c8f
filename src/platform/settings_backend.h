#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

// Registry value types, numbered as the registry numbers them so a store file can be
// exchanged with a real registry.
enum class RegType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,
    DWord = 4,
};

// One stored value as the registry holds it: a type number and raw bytes. A string value
// carries its terminating NUL, exactly like RegQueryValueEx returns it.
struct RegValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// One value to write, in its key.
struct ValueWrite {
    std::string keyPath;
    std::string name;
    RegValue value;
};

// One hive of the settings store (per-user or machine-wide). Keys are registry paths
// relative to the hive, such as "Software\\Merrowin\\Orvane\\Window". No handle stays open:
// every call opens, acts and closes.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;

    // Creates the key (and its parents) if missing. False when the store cannot be written.
    virtual bool createKey(const std::string& keyPath) = 0;
    virtual bool keyExists(const std::string& keyPath) = 0;
    // Sets a value in an existing key; false when the key is missing or the write failed.
    virtual bool setValue(const std::string& keyPath, const std::string& name,
                          const RegValue& value) = 0;
    // Values of one or more keys in one commit, in order. A store that can writes them
    // together, so that no end of the program, however abrupt, leaves some written and the
    // others not, and writes none when a key is missing. This one writes them one by one.
    virtual bool commit(const std::vector<ValueWrite>& writes) {
        bool ok = true;
        for (const ValueWrite& w : writes) ok = setValue(w.keyPath, w.name, w.value) && ok;
        return ok;
    }
    // nullopt when the key or the value does not exist, or the store cannot be read.
    virtual std::optional<RegValue> queryValue(const std::string& keyPath,
                                               const std::string& name) = 0;
    // Where the values live, for messages that must name it ("" when it has no file).
    virtual std::string location() const { return {}; }
    // Why the store is there but cannot be read, for the user to hear ("" when it can be read,
    // or does not exist yet). Nothing is written over such a store.
    virtual std::string problem() const { return {}; }
};

}  // namespace orvane
