#pragma once

#include <QLabel>

namespace orvane {

// A label that is a link: reached with Tab, opened with the mouse, Enter or Space, and shown to
// assistive technology as a link that can be pressed.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QWidget* parent);

signals:
    void activated();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orvane
