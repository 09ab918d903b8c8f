#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/settings_backend.h"

namespace orvane {

// The per-user hive (HKEY_CURRENT_USER), kept as a registry editor export file so a user can
// read and edit it by hand and it can be imported into a real registry. Every call re-reads
// the file; every change is a locked read-modify-write committed with an atomic rename.
class RegFileBackend : public SettingsBackend {
public:
    explicit RegFileBackend(std::string path);

    // $XDG_CONFIG_HOME/Merrowin/Orvane.reg, falling back to ~/.config.
    static std::string defaultPath();

    bool createKey(const std::string& keyPath) override;
    bool keyExists(const std::string& keyPath) override;
    bool commit(const std::vector<ValueWrite>& writes) override;
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override;
    std::optional<RegValue> queryValue(const std::string& keyPath,
                                       const std::string& name) override;
    std::string location() const override { return path_; }
    std::string problem() const override;

private:
    std::string path_;
};

// Replaces `path` with `content` so that a crash at any moment leaves the old or the new
// file: a temporary file beside it, fsync, then rename over the old one. The folder must
// exist. False when any step failed (the old file is then untouched).
bool writeFileAtomically(const std::string& path, const std::string& content, mode_t mode);

}  // namespace orvane
