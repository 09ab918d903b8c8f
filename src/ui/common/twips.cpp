#include "ui/common/twips.h"

#include <QFontMetrics>
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

TwipsPoint pixelsToTwips(QPoint p, double tpp) {
    return {p.x() * tpp, p.y() * tpp};
}

TwipLayout::TwipLayout(const QWidget* window) : tpp_(twipsPerPixel(window)) {}

void TwipLayout::fit(const QFont& font, const QString& text, int widthTwips, int heightTwips,
                     int extraPx) {
    const QFontMetrics fm(font);
    const QString shown = QString(text).remove(QLatin1Char('&'));
    growth_ = std::max(growth_, (fm.horizontalAdvance(shown) + extraPx) * tpp_ / widthTwips);
    if (heightTwips > 0) growth_ = std::max(growth_, fm.height() * tpp_ / heightTwips);
}

void TwipLayout::fitWrapped(const QFont& font, const QString& text, int widthTwips,
                            int heightTwips) {
    const QFontMetrics fm(font);
    // Growing widens the box as well as heightening it, so a few steps settle it.
    for (int step = 0; step < 60; ++step) {
        const QRect box = place(0, 0, widthTwips, heightTwips);
        const QRect need =
            fm.boundingRect(QRect(0, 0, box.width(), 100000), Qt::TextWordWrap, text);
        if (need.height() <= box.height() && need.width() <= box.width()) return;
        growth_ *= 1.04;
    }
}

int TwipLayout::pixels(int twips) const {
    return static_cast<int>(std::lround(twips * pixelsPerTwip()));
}

QRect TwipLayout::place(int left, int top, int width, int height) const {
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace orvane
