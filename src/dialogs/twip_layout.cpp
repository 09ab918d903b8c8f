#include "dialogs/twip_layout.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "shell/twips.h"

namespace orvane {

TwipLayout::TwipLayout(const QWidget* window) : tpp_(twipsPerPixel(window)) {}

void TwipLayout::fit(const QFont& font, const QString& text, int widthTwips, int heightTwips, int extraPx) {
    const QFontMetrics fm(font);
    const QString shown = QString(text).remove(QLatin1Char('&'));
    growth_ = std::max(growth_, (fm.horizontalAdvance(shown) + extraPx) * tpp_ / widthTwips);
    growth_ = std::max(growth_, fm.height() * tpp_ / heightTwips);
}

void TwipLayout::fitWrapped(const QFont& font, const QString& text, int widthTwips, int heightTwips) {
    const QFontMetrics fm(font);
    // Growing widens the box as well as heightening it, so a few steps settle it.
    for (int step = 0; step < 60; ++step) {
        const QRect box = place(0, 0, widthTwips, heightTwips);
        const QRect need = fm.boundingRect(QRect(0, 0, box.width(), 100000), Qt::TextWordWrap, text);
        if (need.height() <= box.height() && need.width() <= box.width()) return;
        growth_ *= 1.04;
    }
}

int TwipLayout::pixels(int twips) const { return static_cast<int>(std::lround(twips * pixelsPerTwip())); }

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
