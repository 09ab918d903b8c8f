#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

namespace orvane {

// Where a pop-up of `size` opens at `at`, on a screen of which `available` is the part not
// taken by panels: its top-left at the point where it fits, else it opens above or to the
// left of the point, and it never covers a panel nor leaves the screen. A point in a bottom
// panel (a tray host's) gives a pop-up standing on the panel, as the host's own do.
QPoint popupPlace(QPoint at, QSize size, const QRect& available);

// The same on the screen that holds `at` (the nearest screen for a point off every screen).
QPoint popupPlace(QPoint at, QSize size);

// The keyboard's way to a window's pop-up menu: the Menu key, and Shift+F10 as on other
// desktops. `open` gets the place under `anchor`, where the menu then opens.
void addMenuKeys(QWidget& window, QWidget& anchor, std::function<void(QPoint)> open);

}  // namespace orvane
