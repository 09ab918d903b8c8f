#include "platform/windows/registry_backend.h"

#include <utility>

namespace orvane {
namespace {

// A key opened for one call, closed when the call ends.
class OpenKey {
public:
    OpenKey(HKEY root, const std::string& path) {
        if (RegOpenKeyExA(root, path.c_str(), 0, kKeyAccess, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool write(HKEY key, const std::string& name, const RegValue& value) {
    const BYTE* data = value.data.empty() ? nullptr : value.data.data();
    return RegSetValueExA(key, name.c_str(), 0, value.type, data,
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

}  // namespace

RegistryBackend::RegistryBackend(HKEY root, std::string rootName)
    : root_(root), rootName_(std::move(rootName)) {}

bool RegistryBackend::createKey(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root_, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool RegistryBackend::keyExists(const std::string& keyPath) {
    return static_cast<bool>(OpenKey(root_, keyPath));
}

bool RegistryBackend::setValue(const std::string& keyPath, const std::string& name,
                               const RegValue& value) {
    const OpenKey key(root_, keyPath);
    return key && write(key.get(), name, value);
}

bool RegistryBackend::commit(const std::vector<ValueWrite>& writes) {
    for (const ValueWrite& w : writes)
        if (!keyExists(w.keyPath)) return false;
    bool ok = true;
    for (const ValueWrite& w : writes) ok = setValue(w.keyPath, w.name, w.value) && ok;
    return ok;
}

std::optional<RegValue> RegistryBackend::queryValue(const std::string& keyPath,
                                                    const std::string& name) {
    const OpenKey key(root_, keyPath);
    if (!key) return std::nullopt;
    // The size first, then the data; a value that grows in between is asked for again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        RegValue value{type, std::vector<std::uint8_t>(size, 0)};
        const LONG r =
            RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, value.data.data(), &size);
        if (r == ERROR_MORE_DATA) continue;
        if (r != ERROR_SUCCESS) return std::nullopt;
        value.type = type;
        value.data.resize(size);
        return value;
    }
    return std::nullopt;
}

}  // namespace orvane
