#include "ui/shell/compact_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "ui/common/log_categories.h"
#include "ui/common/popup_place.h"
#include "ui/common/status_icons.h"
#include "ui/common/twips.h"
#include "ui/desktop/window_system.h"

namespace orvane {

namespace {

struct Shape {
    TwipRect box;
    QColor fill;
};

constexpr TwipRect kClient{0, 0, 1650, 270};
constexpr TwipRect kBar{300, 150, 1305, 105};
constexpr TwipRect kIcon{30, 15, 240, 240};
// Back to front: behind the labels sit three coloured rounded shapes.
const std::array<Shape, 3> kShapes{{
    {{300, 15, 450, 135}, QColor(255, 128, 128)},
    {{765, 15, 480, 135}, QColor(0, 192, 0)},
    {{1245, 15, 360, 135}, QColor(128, 128, 255)},
}};
// Left edges and widths in twips; each text is centred on its shape above the bar.
struct LabelGeometry {
    int left, width;
    const char* initial;
    const char* widest;
};
constexpr std::array<LabelGeometry, 3> kLabels{{
    {360, 345, "100%", "100%"},
    {825, 360, "00:00", "10:00"},
    {1260, 330, "AC", "Batt"},
}};

}  // namespace

CompactWindow::CompactWindow(StatusIcons& icons, WindowSystem& windows, QWidget* parent)
    : QWidget(parent,
              windows.floatingPanelType() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      icons_(icons),
      windows_(windows),
      layout_(this) {
    setObjectName("frmCompact");
    setWindowTitle("Orvane compact");
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    QFont narrow("Arial Narrow");
    narrow.setPointSizeF(8.25);
    narrow.setStretch(QFont::SemiCondensed);
    // The short texts fit their shapes' width; their height may reach over the shapes.
    for (const LabelGeometry& g : kLabels) layout_.fit(narrow, g.widest, g.width, 0, 1);
    setFixedSize(layout_.place(kClient).size());

    chargeBar_ = new QProgressBar(this);
    chargeBar_->setObjectName("barPercent");
    chargeBar_->setRange(0, 100);
    chargeBar_->setTextVisible(false);
    chargeBar_->setGeometry(layout_.place(kBar));
    for (std::size_t i = 0; i < 3; ++i) {
        const LabelGeometry& g = kLabels[i];
        valueLabels_[i] = new QLabel(g.initial, this);
        valueLabels_[i]->setObjectName(QString("lblDisplay%1").arg(i));
        valueLabels_[i]->setFont(narrow);
        valueLabels_[i]->setAlignment(Qt::AlignCenter);
        valueLabels_[i]->setAttribute(Qt::WA_TranslucentBackground);
        // Down to the bar and no further: taller boxes would push the text onto the bar.
        const QRect r = layout_.place(g.left, 0, g.width, 150);
        valueLabels_[i]->setGeometry(r);
    }
    iconPicture_ = new QLabel(this);
    iconPicture_->setObjectName("imgIcon");
    const QRect ic = layout_.place(kIcon);
    iconPicture_->setGeometry(ic.x(), ic.y(), std::max(16, ic.width()), std::max(16, ic.height()));
    iconPicture_->setAlignment(Qt::AlignCenter);
    iconPicture_->setPixmap(icons_.pixmap("ACS"));
    iconPicture_->installEventFilter(this);
    addMenuKeys(*this, *iconPicture_, [this](QPoint at) { emit menuKeyPressed(at); });

    // Runs only while the window manager moves the panel.
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(400);
    connect(settle_, &QTimer::timeout, this, &CompactWindow::dropped);
}

void CompactWindow::showStatus(const DisplayUpdate& d) {
    chargeBar_->setValue(std::clamp(d.bar, 0, 100));
    valueLabels_[0]->setText(QString::fromStdString(d.compact.status));
    valueLabels_[1]->setText(QString::fromStdString(d.compact.time));
    valueLabels_[2]->setText(QString::fromStdString(d.compact.power));
    const QString key = QString::fromStdString(d.smallKey);
    if (key != pictureKey_) {
        iconPicture_->setPixmap(icons_.pixmap(d.smallKey));
        pictureKey_ = key;
    }
}

QString CompactWindow::displayText(int index) const {
    return valueLabels_.at(index)->text();
}

int CompactWindow::barValue() const {
    return chargeBar_->value();
}

void CompactWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (const Shape& s : kShapes) {
        p.setBrush(s.fill);
        const QRect r = layout_.place(s.box);
        const double radius = std::min(r.width(), r.height()) / 3.0;
        p.drawRoundedRect(r, radius, radius);
    }
}

void CompactWindow::changeEvent(QEvent* event) {
    // The panel never stays minimized or maximized.
    if (event->type() == QEvent::WindowStateChange &&
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        setWindowState(Qt::WindowNoState);
    }
    QWidget::changeEvent(event);
}

void CompactWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    QWidget::closeEvent(event);
}

void CompactWindow::beginDrag(QPoint pressPos) {
    grabOffset_ = pressPos - pos();
    dragFrom_ = windows_.position(*this);
    lastDrop_.reset();
    systemMotions_ = 0;
    // The window manager's own move, as a title-bar drag, from the press; without a window
    // manager that offers one, the panel follows the mouse itself.
    if (windowHandle() && windows_.startMove(*this, pressPos)) {
        drag_ = Drag::System;
    } else {
        drag_ = Drag::Manual;
    }
}

void CompactWindow::dropped() {
    settle_->stop();
    const QPoint at = windows_.position(*this);
    if (lastDrop_ == at) return;
    lastDrop_ = at;
    emit dragFinished();
}

void CompactWindow::moveEvent(QMoveEvent* event) {
    // A window manager's move reports no drop: each pause in its moves counts as one, so the
    // edge rule always holds where the panel comes to rest.
    if (drag_ == Drag::System) settle_->start();
    QWidget::moveEvent(event);
}

bool CompactWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == iconPicture_ && type == QEvent::Enter && drag_ == Drag::System) {
        // The pointer is back with us: the window manager's move is over, even when its last
        // moves have not reached us yet (the place is then asked of the window system).
        drag_ = Drag::None;
        dropped();
    }
    if (watched != iconPicture_ ||
        (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
         type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* me = static_cast<QMouseEvent*>(event);
    const QPoint global = me->globalPosition().toPoint();
    switch (type) {
        case QEvent::MouseButtonPress:
            if (drag_ == Drag::System && settle_->isActive()) dropped();
            drag_ = Drag::None;
            pressed_ = me->button() == Qt::LeftButton;
            pressPos_ = global;
            break;
        case QEvent::MouseMove:
            // A drag starts only once the pointer has really moved, so a double click stays a
            // double click even where the window manager takes the pointer for its move.
            if (pressed_ && drag_ == Drag::None &&
                (global - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
                pressed_ = false;
                beginDrag(pressPos_);
            }
            // A window manager that took the move keeps the pointer to itself, or moves the
            // panel while we still see the pointer (weston); one that did neither refused it,
            // and the panel follows the mouse itself.
            if (drag_ == Drag::System && (me->buttons() & Qt::LeftButton) &&
                ++systemMotions_ >= 3 && windows_.position(*this) == dragFrom_) {
                drag_ = Drag::Manual;
            }
            if (drag_ == Drag::Manual) move(global - grabOffset_);
            break;
        case QEvent::MouseButtonRelease:
            if (me->button() == Qt::LeftButton) {
                pressed_ = false;
                // Manual, or a window manager's move that left us the pointer: the drop is here.
                if (drag_ != Drag::None) {
                    drag_ = Drag::None;
                    dropped();
                }
            }
            if (me->button() == Qt::RightButton) emit iconRightReleased(global);
            break;
        default:  // double click
            pressed_ = false;
            if (me->button() == Qt::LeftButton && drag_ == Drag::None) emit iconDoubleClicked();
            break;
    }
    return true;
}

CompactHost::CompactHost(StatusIcons& icons, WindowSystem& windows, QObject* parent)
    : QObject(parent), icons_(icons), windows_(windows), settle_(new QTimer(this)) {
    settle_->setSingleShot(true);
    settle_->setInterval(400);
    connect(settle_, &QTimer::timeout, this, &CompactHost::settled);
}

void CompactHost::settled() {
    if (!window_) return;
    if (move_) {
        const QPoint real = windows_.position(*window_);
        // Still where it was: the request was dropped, not refused for a place of the window
        // manager's choosing (GNOME keeps windows off its top bar). Asked again, twice at most.
        qCDebug(lcDisplay) << "compact panel asked to" << move_->to << "stands at" << real;
        if (real == move_->from && real != move_->to && move_->retries < 2) {
            ++move_->retries;
            askMove(real, move_->to);
            return;
        }
        move_.reset();
    }
    emit placeSettled();
}

CompactHost::~CompactHost() = default;

void CompactHost::create() {
    window_ = std::make_unique<CompactWindow>(icons_, windows_);
    given_.reset();
    userPlaced_ = false;
    // Before the program's own handlers, which read the place of the drop.
    connect(window_.get(), &CompactWindow::dragFinished, this, [this] { userPlaced_ = true; });
    emit created(window_.get());
}

void CompactHost::destroy() {
    if (!window_) return;
    window_->hide();
    // It may be inside its own close event: let it finish before it goes.
    window_.release()->deleteLater();
}

void CompactHost::bringToFront() {
    if (!window_) return;
    window_->raise();
    window_->activateWindow();
}

void CompactHost::showWindow() {
    if (!window_) return;
    if (!window_->isVisible()) windows_.prepareFloatingPanel(*window_);
    window_->show();
}

void CompactHost::hideWindow() {
    if (!window_) return;
    // Qt shows it again where it believes it is: make that where it really is.
    const QPoint real = placeInPixels();
    if (real != window_->pos()) window_->move(real);
    window_->hide();
}

QPoint CompactHost::placeInPixels() const {
    // Until the user moves it, the place stored stays the user's: where the window system
    // places the panel itself, or may report a place it is not shown at.
    if (!userPlaced_ && given_ && !windows_.knowsUntouchedPlaces()) return *given_;
    return window_->isVisible() ? windows_.position(*window_) : window_->pos();
}

void CompactHost::moveTo(TwipsPoint pos) {
    if (!window_) return;
    const QPoint target = twipsToPixels(pos, twipsPerPixel(window_.get()));
    move_.reset();
    if (!window_->isVisible()) {
        if (!userPlaced_) given_ = target;
        window_->move(target);
        windows_.placed(*window_, target);
        return;
    }
    // Where asking would throw the panel elsewhere, it stays where the user let it go.
    if (!windows_.movesShownWindows()) return;
    const QPoint real = windows_.position(*window_);
    move_ = Move{real, target};
    qCDebug(lcDisplay) << "compact panel moved from" << real << "to" << target;
    askMove(real, target);
}

void CompactHost::askMove(QPoint real, QPoint to) {
    // A move the window manager dropped leaves Qt believing the panel is there already, and it
    // would not ask again.
    if (window_->pos() != real) window_->move(real);
    window_->move(to);
    windows_.placed(*window_, to);
    // A shown panel gets there when the window manager has moved it, if it does: its place is
    // told again once it has had the time.
    settle_->start();
}

TwipsPoint CompactHost::position() const {
    if (!window_) return {};
    return pixelsToTwips(placeInPixels(), twipsPerPixel(window_.get()));
}

void CompactHost::setTopMost(bool on) {
    if (window_) windows_.setAbove(*window_, on);
}

void CompactHost::showStatus(const DisplayUpdate& update) {
    if (window_) window_->showStatus(update);
}

}  // namespace orvane
