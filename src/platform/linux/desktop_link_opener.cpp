#include "platform/linux/desktop_link_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "platform/linux/linux_log.h"
#include "platform/posix/desktop_entry.h"

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
    for (const QString& d :
         system.isEmpty() ? QStringList{"/usr/local/share", "/usr/share"} : system)
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

// TryExec names a program that must be there for the entry to count as installed.
bool installed(const std::string& tryExec) {
    if (tryExec.empty()) return true;
    const QString program = QString::fromStdString(tryExec);
    if (program.startsWith('/'))
        return QFileInfo(program).isExecutable() && QFileInfo(program).isFile();
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace

DesktopLinkOpener::Launch DesktopLinkOpener::launchCommand(const QString& desktopId,
                                                           const QString& address) {
    const QString file = findEntry(desktopId);
    if (file.isEmpty()) return {};
    const DesktopEntry entry = readDesktopEntry(file.toStdString());
    if (!installed(entry.get("TryExec").value_or(""))) return {Launch::Kind::NotInstalled, {}};
    const std::optional<std::string> exec = entry.get("Exec");
    if (!exec) return {};
    const auto words = execCommand(*exec, address.toStdString(), entry, file.toStdString());
    if (!words) return {Launch::Kind::Refused, {}};
    QStringList command;
    for (const std::string& w : *words) command << QString::fromStdString(w);
    return {Launch::Kind::Command, command};
}

LinkOpenResult DesktopLinkOpener::open(const std::string& address) {
    QUrl url(QString::fromStdString(address));
    // A bare "www.example.com" has no scheme of its own; read it as the desktop would.
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(QString::fromStdString(address));
    const QString handler = defaultHandler(url.scheme().toLower());
    qCDebug(lcLinks).noquote() << "link" << url.toString() << "handler" << handler;
    if (handler.isEmpty()) return LinkOpenResult::NoHandler;
    const Launch launch = launchCommand(handler, QString::fromUtf8(url.toEncoded()));
    switch (launch.kind) {
        case Launch::Kind::NotInstalled:
            return LinkOpenResult::NoHandler;
        case Launch::Kind::Refused:
            qCDebug(lcLinks) << "link handler's Exec line refused";
            return LinkOpenResult::Failed;
        case Launch::Kind::NoCommand:
            return QDesktopServices::openUrl(url) ? LinkOpenResult::Opened : LinkOpenResult::Failed;
        case Launch::Kind::Command:
            break;
    }
    const QStringList& command = launch.command;
    qCDebug(lcLinks).noquote() << "link runs" << command.join(' ');
    return QProcess::startDetached(command.front(), command.mid(1)) ? LinkOpenResult::Opened
                                                                    : LinkOpenResult::Failed;
}

}  // namespace orvane
