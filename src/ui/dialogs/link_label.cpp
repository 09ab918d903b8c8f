#include "ui/dialogs/link_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace orvane {

namespace {

class LinkLabelAccessible : public QAccessibleWidget {
public:
    explicit LinkLabelAccessible(LinkLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) emit static_cast<LinkLabel*>(widget())->activated();
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction()
                   ? QStringList{QStringLiteral("Return"), QStringLiteral("Space")}
                   : QStringList{};
    }
};

QAccessibleInterface* linkLabelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("orvane::LinkLabel") && object && object->isWidgetType())
        return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
    return nullptr;
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // Before anyone asks this label for its accessible side; installing twice adds nothing.
    QAccessible::installFactory(linkLabelAccessible);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

// The box underlines by where the pointer is over it all: moves go on to it.
void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    event->ignore();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (event->modifiers() & ~Qt::KeypadModifier) break;
            // Taken here, so the dialog's default button does not take Enter as well.
            event->accept();
            if (!event->isAutoRepeat()) emit activated();
            return;
        default:
            break;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit activated();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // Where the keyboard is, as on any other control.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect().intersected(
        fontMetrics().boundingRect(contentsRect(), int(alignment()), text()).adjusted(-1, 0, 1, 0));
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

}  // namespace orvane
