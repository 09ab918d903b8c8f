#pragma once

#include <QString>
#include <QStringList>

#include "platform/link_opener.h"

namespace orvane {

// Opens an address with the desktop's handler for its scheme: the program its desktop entry
// names is started with the address, so that a handler that cannot start is known at once
// (xdg-open would wait for the handler to end). An entry without a command of its own (one
// started through D-Bus) goes through Qt's desktop services. No file is written and no shell
// sees the address.
class DesktopLinkOpener : public LinkOpener {
public:
    // `xdgMime` is the program asked which handler is registered for a scheme.
    explicit DesktopLinkOpener(QString xdgMime = QStringLiteral("xdg-mime"),
                               int queryTimeoutMs = 2000)
        : xdgMime_(std::move(xdgMime)), timeoutMs_(queryTimeoutMs) {}

    LinkOpenResult open(const std::string& address) override;

    // The desktop file registered for "x-scheme-handler/<scheme>", empty when none is or the
    // question cannot be asked.
    QString defaultHandler(const QString& scheme) const;

    // What the desktop entry `desktopId` (looked up in $XDG_DATA_HOME and $XDG_DATA_DIRS) runs
    // for `address`.
    struct Launch {
        enum class Kind {
            Command,       // `command`: the program and its arguments
            NoCommand,     // not found, or started another way (through D-Bus)
            NotInstalled,  // its TryExec program is not there
            Refused,       // an Exec line that is broken or runs no program of its own
        };
        Kind kind = Kind::NoCommand;
        QStringList command;
    };
    static Launch launchCommand(const QString& desktopId, const QString& address);

private:
    QString xdgMime_;
    int timeoutMs_;
};

}  // namespace orvane
