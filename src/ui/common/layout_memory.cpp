#include "ui/common/layout_memory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "ui/common/log_categories.h"

namespace orvane {

namespace {

// Far above any screen: a larger figure is a damaged file, not a size.
constexpr int kLargest = 20000;

// The file: the key on the first line, the width and height on the second.
std::optional<std::pair<QString, QSize>> read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    const QList<QByteArray> lines = f.read(4096).split('\n');
    if (lines.size() < 2) return std::nullopt;
    const QList<QByteArray> wh = lines[1].trimmed().split(' ');
    bool okW = false, okH = false;
    const int w = wh.size() == 2 ? wh[0].toInt(&okW) : 0;
    const int h = wh.size() == 2 ? wh[1].toInt(&okH) : 0;
    if (!okW || !okH || w <= 0 || h <= 0 || w > kLargest || h > kLargest) return std::nullopt;
    return std::pair{QString::fromUtf8(lines[0]), QSize(w, h)};
}

}  // namespace

std::optional<QSize> LayoutMemory::recall(const QString& key) {
    if (!known_) known_ = read(file_);
    if (known_ && known_->first == key) return known_->second;
    return std::nullopt;
}

void LayoutMemory::remember(const QString& key, QSize size) {
    if (!known_) known_ = read(file_);
    if (known_ && known_->first == key && known_->second == size) return;
    known_ = {key, size};
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSaveFile f(file_);
    if (f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        f.write(key.toUtf8() + '\n' + QByteArray::number(size.width()) + ' ' +
                QByteArray::number(size.height()) + '\n');
        if (f.commit()) return;
    }
    qCDebug(lcDisplay) << "cannot keep the window's size in" << file_ << f.errorString();
}

}  // namespace orvane
