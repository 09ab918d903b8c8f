#include "core/store/settings_store.h"

#include <cstring>
#include <limits>

#include "core/store/number_text.h"

namespace orvane {

void SettingsStore::CreateKey(const std::string& keyPath, Hive hive) {
    backend(hive).createKey(keyPath);
}

RegValue SettingsStore::WriteValue(const std::string& value, RegType type, bool* ok) {
    RegValue raw;
    raw.type = static_cast<std::uint32_t>(type);
    *ok = true;
    if (type == RegType::String) {
        raw.data.assign(value.begin(), value.end());
        raw.data.push_back(0);
    } else if (type == RegType::DWord) {
        const double n = parseNumber(value).value_or(0);
        const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(
            roundHalfEvenClamped(n, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max())));
        for (int i = 0; i < 4; ++i) raw.data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    } else {
        *ok = false;  // other types are never written
    }
    return raw;
}

SettingValue SettingsStore::ReadValue(const std::optional<RegValue>& raw) {
    if (!raw) return {};
    if (raw->type == static_cast<std::uint32_t>(RegType::String)) {
        // A registry string carries its NUL; the last byte is dropped whatever it is. An
        // empty buffer has no last byte, and reads as absent.
        if (raw->data.empty()) return {};
        return SettingValue::text(std::string(raw->data.begin(), raw->data.end() - 1));
    }
    if (raw->type == static_cast<std::uint32_t>(RegType::DWord)) {
        if (raw->data.size() != 4) return {};
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(raw->data[i]) << (8 * i);
        std::int32_t s;
        std::memcpy(&s, &v, sizeof s);
        return SettingValue::number(s);
    }
    return {};
}

bool SettingsStore::save(Hive hive, const std::string& keyPath, const std::string& name,
                         const std::string& value, RegType type) {
    bool ok = false;
    const RegValue raw = WriteValue(value, type, &ok);
    if (!ok) return false;
    // The key is opened, not created: the backend fails the write to a missing key.
    return backend(hive).setValue(keyPath, name, raw);
}

bool SettingsStore::SaveMachineValue(const std::string& keyPath, const std::string& name,
                                     const std::string& value, RegType type) {
    return save(Hive::LocalMachine, keyPath, name, value, type);
}

SettingValue SettingsStore::GetMachineValue(const std::string& keyPath, const std::string& name) {
    return ReadValue(machine_.queryValue(keyPath, name));
}

void SettingsStore::EnsureKeys() {
    CreateKey(std::string(keys::kProduct), Hive::CurrentUser);
    CreateKey(std::string(keys::kWindow), Hive::CurrentUser);
    CreateKey(std::string(keys::kSetting), Hive::CurrentUser);
}

SettingValue SettingsStore::get(Setting s) {
    const SettingInfo& i = settingInfo(s);
    return ReadValue(backend(i.hive).queryValue(std::string(i.key), std::string(i.name)));
}

bool SettingsStore::save(Setting s, const std::string& text) {
    const SettingInfo& i = settingInfo(s);
    return save(i.hive, std::string(i.key), std::string(i.name), text, RegType::String);
}

bool SettingsStore::save(const std::vector<std::pair<Setting, std::string>>& values) {
    if (values.empty()) return true;
    const Hive hive = settingInfo(values.front().first).hive;
    std::vector<ValueWrite> writes;
    for (const auto& [s, text] : values) {
        const SettingInfo& i = settingInfo(s);
        if (i.hive != hive) return false;  // one commit holds one hive
        bool ok = false;
        writes.push_back(
            {std::string(i.key), std::string(i.name), WriteValue(text, RegType::String, &ok)});
        if (!ok) return false;
    }
    return backend(hive).commit(writes);
}

}  // namespace orvane
