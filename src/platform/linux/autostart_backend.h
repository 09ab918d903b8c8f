#pragma once

#include <optional>
#include <string>

#include "platform/settings_backend.h"

namespace orvane {

// The machine-wide hive (HKEY_LOCAL_MACHINE) as far as the program uses it: the one "Run"
// value that starts it with the desktop, kept as the desktop's autostart entry
// orvane.desktop. The value's text is the program path of the entry; an entry marked
// Hidden reads as an empty text, a missing entry as no value.
class AutostartBackend : public SettingsBackend {
public:
    explicit AutostartBackend(std::string dir);

    // The autostart folder of the first $XDG_CONFIG_DIRS entry (/etc/xdg/autostart).
    static std::string defaultDir();

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
    std::string dir_;
};

}  // namespace orvane
