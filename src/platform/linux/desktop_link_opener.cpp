#include "platform/linux/desktop_link_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/linux/desktop_entry.h"
#include "platform/linux/linux_log.h"

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

namespace {

QStringList dataDirs() {
    QStringList dirs;
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    dirs << (home.startsWith('/') ? home : QDir::homePath() + QStringLiteral("/.local/share"));
    const QStringList system = qEnvironmentVariable("XDG_DATA_DIRS").split(':', Qt::SkipEmptyParts);
    for (const QString& d : system.isEmpty() ? QStringList{"/usr/local/share", "/usr/share"} : system)
        if (d.startsWith('/')) dirs << d;
    return dirs;
}

// "vendor-app.desktop" may also live as "vendor/app.desktop".
QString findEntry(const QString& desktopId) {
    if (desktopId.contains(QStringLiteral("..")) || desktopId.startsWith('/')) return {};
    QString nested = desktopId;
    if (const int dash = nested.indexOf('-'); dash > 0) nested[dash] = '/';
    for (const QString& dir : dataDirs()) {
        for (const QString& name : {desktopId, nested}) {
            const QString path = dir + QStringLiteral("/applications/") + name;
            if (QFileInfo(path).isFile()) return path;
        }
    }
    return {};
}

}  // namespace

QStringList DesktopLinkOpener::launchCommand(const QString& desktopId, const QString& address) {
    const QString file = findEntry(desktopId);
    if (file.isEmpty()) return {};
    const DesktopEntry entry = readDesktopEntry(file.toStdString());
    const std::optional<std::string> exec = entry.get("Exec");
    if (!exec) return {};
    QStringList command;
    bool given = false;
    for (const std::string& word : splitExec(*exec)) {
        const QString w = QString::fromStdString(word);
        if (w == QLatin1String("%u") || w == QLatin1String("%U") || w == QLatin1String("%f") || w == QLatin1String("%F")) {
            command << address;
            given = true;
        } else if (w == QLatin1String("%i")) {
            if (const auto icon = entry.get("Icon")) command << QStringLiteral("--icon") << QString::fromStdString(*icon);
        } else if (w == QLatin1String("%c")) {
            command << QString::fromStdString(entry.get("Name").value_or(""));
        } else if (w == QLatin1String("%k")) {
            command << file;
        } else {
            // Any other field code stands for nothing; "%%" is a percent sign.
            QString out;
            for (int i = 0; i < w.size(); ++i) {
                if (w[i] == '%' && i + 1 < w.size()) {
                    if (w[i + 1] == '%') out += '%';
                    ++i;
                    continue;
                }
                out += w[i];
            }
            if (!out.isEmpty() || !w.startsWith('%')) command << out;
        }
    }
    if (!command.isEmpty() && !given) command << address;
    return command;
}

LinkOpenResult DesktopLinkOpener::open(const std::string& address) {
    QUrl url(QString::fromStdString(address));
    // A bare "www.example.com" has no scheme of its own; read it as the desktop would.
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(QString::fromStdString(address));
    const QString handler = defaultHandler(url.scheme().toLower());
    qCDebug(lcLinks).noquote() << "link" << url.toString() << "handler" << handler;
    if (handler.isEmpty()) return LinkOpenResult::NoHandler;
    const QStringList command = launchCommand(handler, QString::fromUtf8(url.toEncoded()));
    if (command.isEmpty()) return QDesktopServices::openUrl(url) ? LinkOpenResult::Opened : LinkOpenResult::Failed;
    qCDebug(lcLinks).noquote() << "link runs" << command.join(' ');
    return QProcess::startDetached(command.front(), command.mid(1)) ? LinkOpenResult::Opened : LinkOpenResult::Failed;
}

}  // namespace orvane
