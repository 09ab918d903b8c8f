#include "shell/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace orvane {

double twipsPerPixel(const QWidget* w) {
    const QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

QRect twipsRect(int left, int top, int width, int height, double tpp) {
    const auto px = [tpp](int twips) { return static_cast<int>(std::lround(twips / tpp)); };
    return QRect(px(left), px(top), px(width), px(height));
}

QPoint twipsToPixels(TwipsPoint p, double tpp) {
    // A hand-edited position may be absurd; keep it within what a window system accepts.
    const auto px = [tpp](double twips) {
        const double v = std::round(twips / tpp);
        return static_cast<int>(std::clamp(v, -30000.0, 30000.0));
    };
    return QPoint(px(p.x), px(p.y));
}

TwipsPoint pixelsToTwips(QPoint p, double tpp) { return {p.x() * tpp, p.y() * tpp}; }

}  // namespace orvane
