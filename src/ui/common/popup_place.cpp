#include "ui/common/popup_place.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace orvane {

namespace {

// One axis: from `at` onwards when it fits before `end`, else back from it; then inside.
int along(int at, int length, int begin, int end) {
    const long long fitsAfter = static_cast<long long>(at) + length;
    long long pos = fitsAfter <= end ? at : static_cast<long long>(std::min(at, end)) - length;
    pos = std::min<long long>(pos, static_cast<long long>(end) - length);
    pos = std::max<long long>(pos, begin);
    return static_cast<int>(pos);
}

}  // namespace

QPoint popupPlace(QPoint at, QSize size, const QRect& available) {
    const int right = available.x() + available.width();
    const int bottom = available.y() + available.height();
    return {along(at.x(), size.width(), available.x(), right),
            along(at.y(), size.height(), available.y(), bottom)};
}

QPoint popupPlace(QPoint at, QSize size) {
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) {
        long long best = std::numeric_limits<long long>::max();
        for (QScreen* s : QGuiApplication::screens()) {
            const QRect g = s->geometry();
            const long long dx = std::max({0LL, static_cast<long long>(g.left()) - at.x(),
                                           static_cast<long long>(at.x()) - g.right()});
            const long long dy = std::max({0LL, static_cast<long long>(g.top()) - at.y(),
                                           static_cast<long long>(at.y()) - g.bottom()});
            if (dx + dy < best) {
                best = dx + dy;
                screen = s;
            }
        }
    }
    if (!screen) return at;
    return popupPlace(at, size, screen->availableGeometry());
}

void addMenuKeys(QWidget& window, QWidget& anchor, std::function<void(QPoint)> open) {
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, &window);
        QObject::connect(shortcut, &QShortcut::activated, &window,
                         [&anchor, open] { open(anchor.mapToGlobal(QPoint(0, anchor.height()))); });
    }
}

}  // namespace orvane
