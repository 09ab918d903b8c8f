#pragma once

#include <QString>

#include "platform/link_opener.h"

namespace orvane {

// Opens an address with the desktop's handler for its scheme (Qt's desktop services: the
// portal or xdg-open). No file is written and no shell sees the address.
class DesktopLinkOpener : public LinkOpener {
public:
    // `xdgMime` is the program asked which handler is registered for a scheme.
    explicit DesktopLinkOpener(QString xdgMime = QStringLiteral("xdg-mime"), int queryTimeoutMs = 2000)
        : xdgMime_(std::move(xdgMime)), timeoutMs_(queryTimeoutMs) {}

    LinkOpenResult open(const std::string& address) override;

    // The desktop file registered for "x-scheme-handler/<scheme>", empty when none is or the
    // question cannot be asked.
    QString defaultHandler(const QString& scheme) const;

private:
    QString xdgMime_;
    int timeoutMs_;
};

}  // namespace orvane
