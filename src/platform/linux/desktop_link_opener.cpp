#include "platform/linux/desktop_link_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include "platform/linux/log_categories.h"

namespace orvane {

QString DesktopLinkOpener::defaultHandler(const QString& scheme) const {
    if (scheme.isEmpty()) return {};
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(xdgMime_, {QStringLiteral("query"), QStringLiteral("default"),
                           QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForStarted(timeoutMs_) || !query.waitForFinished(timeoutMs_)) {
        query.kill();
        query.waitForFinished(timeoutMs_);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

LinkOpenResult DesktopLinkOpener::open(const std::string& address) {
    QUrl url(QString::fromStdString(address));
    // A bare "www.example.com" has no scheme of its own; read it as the desktop would.
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(QString::fromStdString(address));
    const QString handler = defaultHandler(url.scheme().toLower());
    qCDebug(lcMessages).noquote() << "link" << url.toString() << "handler" << handler;
    if (handler.isEmpty()) return LinkOpenResult::NoHandler;
    return QDesktopServices::openUrl(url) ? LinkOpenResult::Opened : LinkOpenResult::Failed;
}

}  // namespace orvane
