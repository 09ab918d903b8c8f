#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/settings_backend.h"

namespace orvane {

// The machine-wide hive (HKEY_LOCAL_MACHINE) as far as the program uses it: the one "Run"
// value that starts it with the desktop, kept as the desktop's autostart entry orvane.desktop
// by the XDG autostart rules. It is written to the user's own entry, which any user may write
// and which overrides one of the same name in the system's folders; it reads as the entry
// that takes effect: the user's if there is one, else the first of the system's. The value's
// text is the entry's program path; an entry marked Hidden reads as an empty text, no entry
// at all as no value.
class AutostartBackend : public SettingsBackend {
public:
    AutostartBackend(std::string userDir, std::vector<std::string> systemDirs);

    // $XDG_CONFIG_HOME/autostart, and the autostart folder of each $XDG_CONFIG_DIRS entry.
    static std::string defaultUserDir();
    static std::vector<std::string> defaultSystemDirs();

    bool createKey(const std::string& keyPath) override;
    bool keyExists(const std::string& keyPath) override;
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override;
    std::optional<RegValue> queryValue(const std::string& keyPath,
                                       const std::string& name) override;
    std::string location() const override;

    // The Exec= value that runs `path`, and the program an Exec= value runs.
    static std::string execLine(const std::string& path);
    static std::string programOf(const std::string& exec);

private:
    std::string userDir_;
    std::vector<std::string> systemDirs_;
};

}  // namespace orvane
