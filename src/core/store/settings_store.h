#pragma once

#include <string>
#include <utility>

#include "core/store/setting_value.h"
#include "core/store/settings_table.h"
#include "platform/settings_backend.h"

namespace orvane {

// The program's only way to its stored values. Nothing is cached: every read asks the
// backend afresh, and no failure is ever thrown at the caller.
class SettingsStore {
public:
    SettingsStore(SettingsBackend& user, SettingsBackend& machine)
        : user_(user), machine_(machine) {}

    void CreateKey(const std::string& keyPath, Hive hive);
    // Returns false when the value was not written (callers may ignore it).
    bool SaveMachineValue(const std::string& keyPath, const std::string& name,
                          const std::string& value, RegType type = RegType::String);
    SettingValue GetMachineValue(const std::string& keyPath, const std::string& name);
    // Creates the product, Window and Setting keys, in that order.
    void EnsureKeys();

    // The same operations by table entry.
    SettingValue get(Setting s);
    bool save(Setting s, const std::string& text);
    // Values of one hive written in one commit, in the order given.
    bool save(const std::vector<std::pair<Setting, std::string>>& values);

    // Where the machine-wide values live, for a message that must name it.
    std::string machineLocation() const { return machine_.location(); }
    // Where the user's values live, and why they cannot be read ("" when they can).
    std::string userLocation() const { return user_.location(); }
    std::string userProblem() const { return user_.problem(); }

    // The registry's own encoding of a value and the reading rules for one raw value:
    // a string loses its last byte (its NUL), a 4-byte number reads as a number, anything
    // else reads as absent.
    static RegValue WriteValue(const std::string& value, RegType type, bool* ok);
    static SettingValue ReadValue(const std::optional<RegValue>& raw);

private:
    SettingsBackend& backend(Hive hive) { return hive == Hive::CurrentUser ? user_ : machine_; }
    bool save(Hive hive, const std::string& keyPath, const std::string& name,
              const std::string& value, RegType type);

    SettingsBackend& user_;
    SettingsBackend& machine_;
};

}  // namespace orvane
