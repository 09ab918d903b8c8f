#pragma once

#include <QIcon>
#include <QPixmap>
#include <array>
#include <map>
#include <string>
#include <string_view>

namespace orvane {

// The 26 status icons, keyed by base and size letter ("80S", "ACL", "ChargeS", ...).
// Drawn on first use, so start-up pays only for the icons it shows.
class StatusIcons {
public:
    // Every key, in the image list's order.
    static constexpr std::array<std::string_view, 26> kKeys{
        "10S",  "10L",  "20S", "20L", "30S",      "30L",      "40S",     "40L",    "50S",
        "50L",  "60S",  "60L", "70S", "70L",      "80S",      "80L",     "90S",    "90L",
        "100S", "100L", "ACS", "ACL", "UnknownS", "UnknownL", "ChargeS", "ChargeL"};

    // Unknown keys draw as the question-mark battery rather than nothing.
    const QPixmap& pixmap(const std::string& key);
    // The small key's picture at both sizes, for the tray to pick from.
    QIcon icon(const std::string& smallKey);

    static QIcon appIcon();

private:
    std::map<std::string, QPixmap> cache_;
};

}  // namespace orvane
