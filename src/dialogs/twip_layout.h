#pragma once

#include <QRect>
#include <QString>

class QFont;
class QWidget;

namespace orvane {

// Lays a dialog out from its design positions in twips. The design was drawn for a narrow
// 8 pt dialog font; the desktop's font is usually wider, so the whole layout grows
// uniformly until every text registered with fit() fits its box.
class TwipLayout {
public:
    explicit TwipLayout(const QWidget* window);

    // A single-line text (an '&' access key marker does not count) plus `extraPx` of
    // decoration such as a check box's indicator.
    void fit(const QFont& font, const QString& text, int widthTwips, int heightTwips, int extraPx = 2);
    // A word-wrapped text that must fit within its box.
    void fitWrapped(const QFont& font, const QString& text, int widthTwips, int heightTwips);

    QRect place(int left, int top, int width, int height) const;
    int pixels(int twips) const;
    double pixelsPerTwip() const { return growth_ / tpp_; }

private:
    double tpp_;
    double growth_ = 1.0;
};

// Centres a top-level window on the screen it will appear on.
void centreOnScreen(QWidget* window);

}  // namespace orvane
