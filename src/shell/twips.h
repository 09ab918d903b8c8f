#pragma once

#include <QPoint>
#include <QRect>

#include "shell/views.h"

class QWidget;

namespace orvane {

// Layouts and stored positions are in twips: 1440 to the logical inch, so 15 to the
// pixel at 96 dpi.
double twipsPerPixel(const QWidget* w);
QRect twipsRect(int left, int top, int width, int height, double tpp);
QPoint twipsToPixels(TwipsPoint p, double tpp);
TwipsPoint pixelsToTwips(QPoint p, double tpp);

}  // namespace orvane
