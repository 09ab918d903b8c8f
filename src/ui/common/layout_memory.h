#pragma once

#include <QSize>
#include <QString>
#include <optional>
#include <utility>

namespace orvane {

// The size a window's design came to the last time, under a key naming what that size
// follows from (the font, the screen's resolution, the texts). With it the window can be
// shown at once and measure its texts later: reading the font database takes longer than
// the rest of a start. A cache: a missing, foreign or unreadable file is no size.
class LayoutMemory {
public:
    explicit LayoutMemory(QString file) : file_(std::move(file)) {}

    std::optional<QSize> recall(const QString& key);
    // Written only when it differs from what the file holds.
    void remember(const QString& key, QSize size);

private:
    QString file_;
    std::optional<std::pair<QString, QSize>> known_;
};

}  // namespace orvane
