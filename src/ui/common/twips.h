#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include "core/shell/views.h"

class QFont;
class QWidget;

namespace orvane {

// Layouts and stored positions are in twips: 1440 to the logical inch, so 15 to the
// pixel at 96 dpi.
double twipsPerPixel(const QWidget* w);
QRect twipsRect(int left, int top, int width, int height, double tpp);
QPoint twipsToPixels(TwipsPoint p, double tpp);
TwipsPoint pixelsToTwips(QPoint p, double tpp);

// A control's place in a window's design, in twips.
struct TwipRect {
    int left, top, width, height;
};

// Lays a window out from its design in twips. The design was drawn for a narrow 8 pt dialog
// font; the desktop's font is usually wider, so the whole layout grows uniformly until every
// text registered with fit() fits its box.
class TwipLayout {
public:
    explicit TwipLayout(const QWidget* window);

    // A single-line text (an '&' access key marker does not count) plus `extraPx` of
    // decoration such as a check box's indicator; a height of 0 leaves the height unchecked.
    void fit(const QFont& font, const QString& text, int widthTwips, int heightTwips,
             int extraPx = 2);
    // A word-wrapped text that must fit within its box.
    void fitWrapped(const QFont& font, const QString& text, int widthTwips, int heightTwips);

    QRect place(int left, int top, int width, int height) const;
    QRect place(const TwipRect& r) const { return place(r.left, r.top, r.width, r.height); }
    int pixels(int twips) const;
    double pixelsPerTwip() const { return growth_ / tpp_; }

private:
    double tpp_;
    double growth_ = 1.0;
};

// Centres a top-level window on the screen it will appear on.
void centreOnScreen(QWidget* window);

}  // namespace orvane
