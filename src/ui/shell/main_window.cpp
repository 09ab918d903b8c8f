#include "ui/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

#include "ui/common/log_categories.h"
#include "ui/common/popup_place.h"
#include "ui/common/status_icons.h"
#include "ui/common/twips.h"
#include "ui/desktop/window_system.h"

namespace orvane {

namespace {

// Positions in twips, the prompts' and values' inside the frame.
constexpr TwipRect kClient{0, 0, 3075, 1365};
constexpr TwipRect kFrame{52, 15, 2970, 1290};
constexpr std::array<TwipRect, 3> kPrompt{
    {{780, 240, 495, 195}, {780, 465, 930, 195}, {780, 690, 1050, 195}}};
constexpr std::array<TwipRect, 3> kDisplay{
    {{1305, 240, 1590, 195}, {1740, 465, 1185, 195}, {1875, 690, 1050, 195}}};
constexpr TwipRect kBar{120, 960, 2715, 240};
constexpr TwipRect kPicture{150, 330, 240, 240};
// The widest texts each value label must hold.
constexpr std::array<const char*, 3> kWidestValue{"100% Remaining", "546:07", "AC Power"};

struct MenuEntry {
    const char* objectName;
    const char* caption;  // "-" is a separator
    int item;             // index into MenuItem, -1 for separators
    bool checkable;
};

constexpr std::array<MenuEntry, 14> kMenu{{
    {"sbjExit", "Exit", static_cast<int>(MenuItem::Exit), false},
    {"sbjLine1", "-", -1, false},
    {"sbjControlCenter", "Control Center", static_cast<int>(MenuItem::ControlCenter), false},
    {"sbjLine2", "-", -1, false},
    {"sbjRefresh", "Refresh Status", static_cast<int>(MenuItem::Refresh), false},
    {"sbjLine0", "-", -1, false},
    {"sbjFull", "Full", static_cast<int>(MenuItem::Full), true},
    {"sbjCompact", "Compact", static_cast<int>(MenuItem::Compact), true},
    {"sbjMinimize", "Minimize", static_cast<int>(MenuItem::Minimize), true},
    {"sbjLine3", "-", -1, false},
    {"sbjStartWithWindows", "Start with Windows", static_cast<int>(MenuItem::StartWithDesktop),
     true},
    {"sbjAlwaysOnTop", "Always On Top", static_cast<int>(MenuItem::AlwaysOnTop), true},
    {"sbjLine4", "-", -1, false},
    {"sbjAbout", "About", static_cast<int>(MenuItem::About), false},
}};

}  // namespace

MainWindow::MainWindow(StatusIcons& icons, WindowSystem& windows, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      icons_(icons),
      windows_(windows),
      layout_(this) {
    setObjectName("frmMain");
    setWindowTitle("Orvane");
    setWindowIcon(StatusIcons::appIcon());

    buildMenu();

    // Runs only after the window moved, until it stands still.
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, &MainWindow::settled);
}

void MainWindow::buildControls() {
    if (statusFrame_) return;
    QFont bold = font();
    bold.setBold(true);
    statusFrame_ = new QGroupBox("Power Status", this);
    statusFrame_->setObjectName("fraStatus");
    for (std::size_t i = 0; i < 3; ++i) {
        promptLabels_[i] = new QLabel(kStatusPrompts[i], statusFrame_);
        promptLabels_[i]->setObjectName(QString("lblPrompt%1").arg(i));
        valueLabels_[i] = new QLabel(statusFrame_);
        valueLabels_[i]->setObjectName(QString("lblDisplay%1").arg(i));
        valueLabels_[i]->setFont(bold);
        // Painting its own background keeps a new value from repainting the whole frame.
        valueLabels_[i]->setAutoFillBackground(true);
    }
    chargeBar_ = new QProgressBar(statusFrame_);
    chargeBar_->setObjectName("barPercent");
    chargeBar_->setRange(0, 100);
    chargeBar_->setValue(0);
    chargeBar_->setTextVisible(false);
    statusPicture_ = new QLabel(statusFrame_);
    statusPicture_->setObjectName("ImgStatus");
    statusPicture_->setAutoFillBackground(true);
    statusPicture_->installEventFilter(this);
    addMenuKeys(*this, *statusPicture_, [this](QPoint at) { emit menuKeyPressed(at); });

    for (std::size_t i = 0; i < 3; ++i) {
        layout_.fit(font(), kStatusPrompts[i], kPrompt[i].width, kPrompt[i].height);
        layout_.fit(bold, kWidestValue[i], kDisplay[i].width, kDisplay[i].height);
    }
    setFixedSize(layout_.place(kClient).size());
    statusFrame_->setGeometry(layout_.place(kFrame));
    for (std::size_t i = 0; i < 3; ++i) {
        promptLabels_[i]->setGeometry(layout_.place(kPrompt[i]));
        valueLabels_[i]->setGeometry(layout_.place(kDisplay[i]));
    }
    chargeBar_->setGeometry(layout_.place(kBar));
    // The large icon is 32 pixels whatever the picture box's design size.
    const QRect pic = layout_.place(kPicture);
    statusPicture_->setGeometry(pic.x(), pic.y(), std::max(32, pic.width()),
                                std::max(32, pic.height()));
    if (isVisible()) {
        // Made while the window is up (shown at a remembered size), they are not shown with
        // it; and the window is drawn only now, which is when a window manager places it.
        statusFrame_->show();
        shownFor_.start();
        settle_->start();
    }
    emit laidOut(layoutKey(), size());
}

QString MainWindow::layoutKey() const {
    // The texts measured are part of it, so a new design is not laid out at an old size.
    // A font is measured at the primary screen's resolution, the layout at the window's.
    const QScreen* primary = QGuiApplication::primaryScreen();
    QStringList parts{font().toString(), QString::number(twipsPerPixel(this)),
                      QString::number(primary ? primary->logicalDotsPerInchY() : 0.0)};
    for (std::size_t i = 0; i < 3; ++i) parts << kStatusPrompts[i] << kWidestValue[i];
    return parts.join(QLatin1Char('|'));
}

void MainWindow::deferLayout(std::function<std::optional<QSize>(const QString& key)> recall) {
    recallSize_ = std::move(recall);
}

void MainWindow::endDeferredLayout() {
    recallSize_ = nullptr;
    if (isVisible()) applyStatus();
}

void MainWindow::setVisible(bool visible) {
    if (visible && !statusFrame_ && recallSize_) {
        if (const std::optional<QSize> known = recallSize_(layoutKey())) {
            setFixedSize(*known);
            QWidget::setVisible(true);
            return;
        }
    }
    if (visible) applyStatus();
    QWidget::setVisible(visible);
}

void MainWindow::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    // A dialog this window owns makes this window's native window as its owner when it is
    // shown: the window must have its size by then (see openMenuAt).
    if (event->added() && event->child()->isWidgetType()) {
        const auto* child = static_cast<QWidget*>(event->child());
        if (child->isWindow() && child->windowType() != Qt::Popup) buildControls();
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        qCDebug(lcDisplay) << "main window state" << windowState();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible() && !isMinimized() && !ended_) settle_->start();
}

void MainWindow::settled() {
    // Moving a minimized window would ask the window manager to restore it.
    if (!isVisible() || isMinimized()) return;
    // Qt's idea of the place can be stale under a window manager: tell it the real one first
    // (once), and report when that has settled too.
    const QPoint real = windows_.position(*this);
    if (real != pos() && !correcting_) {
        correcting_ = true;
        move(real);
        return;
    }
    correcting_ = false;
    settledAt_ = real;
    if (firstSettle_ && lastPlace_ && real != *lastPlace_ && !windows_.knowsUntouchedPlaces()) {
        chosenByWindowSystem_ = real;
    } else if (!chosenByWindowSystem_ || real != *chosenByWindowSystem_) {
        chosenByWindowSystem_.reset();
        lastPlace_ = real;
    }
    firstSettle_ = false;
    unsettledSinceHidden_ = false;
    qCDebug(lcDisplay) << "main window settled at" << real;
    emit placeSettled();
}

void MainWindow::buildMenu() {
    menu_ = new QMenu("Popup", this);
    menu_->setObjectName("mnuPopup");
    for (const MenuEntry& e : kMenu) {
        QAction* a = nullptr;
        if (std::string_view(e.caption) == "-") {
            a = menu_->addSeparator();
        } else {
            a = menu_->addAction(e.caption);
            a->setCheckable(e.checkable);
            const auto item = static_cast<MenuItem>(e.item);
            actions_[static_cast<std::size_t>(e.item)] = a;
            // Qt flips a checkable item's mark on its own; the logic owns the marks, so the
            // click is only forwarded and the marks are set back from the logic's state.
            connect(a, &QAction::triggered, this, [this, item] { emit menuItemChosen(item); });
        }
        a->setObjectName(e.objectName);
    }
}

QAction* MainWindow::menuAction(MenuItem item) const {
    return actions_[static_cast<std::size_t>(item)];
}

void MainWindow::showMenuState(const MenuState& m) {
    menuAction(MenuItem::Full)->setChecked(m.full);
    menuAction(MenuItem::Compact)->setChecked(m.compact);
    menuAction(MenuItem::Minimize)->setChecked(m.minimize);
    menuAction(MenuItem::StartWithDesktop)->setChecked(m.startWithDesktop);
    menuAction(MenuItem::AlwaysOnTop)->setChecked(m.alwaysOnTop);
    menuAction(MenuItem::AlwaysOnTop)->setVisible(m.alwaysOnTopVisible);
    if (lcDisplay().isDebugEnabled()) {
        QStringList checked;
        for (const QAction* a : menu_->actions())
            if (a->isChecked()) checked << a->text();
        if (checked != loggedChecks_)
            qCDebug(lcDisplay).noquote() << "menu checks:" << checked.join(", ");
        loggedChecks_ = checked;
    }
}

void MainWindow::showPopupMenu() {
    // A place a tray host gave is where its icon is, maybe inside its panel.
    const QPoint at =
        nextMenuPlace_ ? popupPlace(*nextMenuPlace_, menu_->sizeHint()) : QCursor::pos();
    // Asked again while it is open (only a host can, the menu holds the pointer): it moves.
    if (menu_->isVisible()) {
        menu_->move(at);
        return;
    }
    openMenuAt(at, false);
}

void MainWindow::openMenuAt(QPoint at, bool fromKeyboard) {
    // The menu makes this window's native window as its owner. Made before the window has its
    // size and resized before it is first shown, that would have its client area put where
    // its frame was to go.
    buildControls();
    menu_->popup(at);
    // Opened from the keyboard, the first item is where the arrow keys start.
    if (fromKeyboard && !menu_->actions().isEmpty())
        menu_->setActiveAction(menu_->actions().first());
}

void MainWindow::showWindow() {
    if (!isVisible()) {
        shownFor_.start();
        firstSettle_ = true;
    }
    show();
    // Once it stands where it was put, the window system's idea of its place is learnt.
    settle_->start();
}

void MainWindow::hideWindow() {
    if (settledOnScreen()) {
        // Hidden, Qt shows it again where it believes it is: make that where it really is.
        const QPoint real = windows_.position(*this);
        if (real != pos()) move(real);
        if (!chosenByWindowSystem_ || real != *chosenByWindowSystem_) lastPlace_ = real;
    } else {
        unsettledSinceHidden_ = true;
    }
    shownFor_.invalidate();
    hide();
}

void MainWindow::setNormalState() {
    const Qt::WindowStates state = windowState();
    qCDebug(lcDisplay) << "main window restored from" << state;
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized))) return;
    // A window brought back from the taskbar is the one the user asked for: it comes active.
    setWindowState((state & ~(Qt::WindowMinimized | Qt::WindowMaximized)) | Qt::WindowActive);
}

void MainWindow::moveTo(TwipsPoint pos) {
    // Placed by us even at 0,0, where move() alone changes nothing and would leave the
    // window manager to place the window wherever it likes.
    const QPoint target = twipsToPixels(pos, twipsPerPixel(this));
    setAttribute(Qt::WA_Moved);
    move(target);
    lastPlace_ = target;
    chosenByWindowSystem_.reset();
    firstSettle_ = true;
    windows_.placed(*this, target);
    // Once the native window exists (the first-run wizard creates it as its owner), its
    // frame is placed directly as well.
    if (QWindow* native = windowHandle()) native->setFramePosition(target);
}

TwipsPoint MainWindow::position() const {
    // Hidden before it ever stood still (and maybe shown again since, as at the end), Qt's
    // idea may hold a frame it learnt of without the move that came with it (mutter): the
    // place it was given, or last stood at, is the one to trust then.
    // Just shown, the window system may not have it in place yet (a frame not yet moved to
    // where it goes), and Qt's idea is the better one. Later, Qt's idea may have missed a move
    // the window system made without telling (weston's XWayland).
    QPoint place;
    if (isMinimized() && settledAt_) {
        place = *settledAt_;
    } else if (settledOnScreen()) {
        place = windows_.position(*this);
    } else if ((!isVisible() || unsettledSinceHidden_) && lastPlace_) {
        place = *lastPlace_;
    } else {
        place = pos();
    }
    if (chosenByWindowSystem_ && place == *chosenByWindowSystem_ && lastPlace_) place = *lastPlace_;
    return pixelsToTwips(place, twipsPerPixel(this));
}

bool MainWindow::settledOnScreen() const {
    return isVisible() && shownFor_.isValid() && shownFor_.elapsed() >= kSettleMs;
}

void MainWindow::setTopMost(bool on) {
    windows_.setAbove(*this, on);
}

void MainWindow::bringToFront() {
    raise();
    activateWindow();
}

void MainWindow::processPendingEvents() {
    QCoreApplication::processEvents();
}

void MainWindow::showStatus(const DisplayUpdate& d) {
    // A hidden window takes the latest status when it is shown: in Minimize mode that may be
    // never, and its controls would load the fonts for nothing.
    pendingStatus_ = d;
    if (isVisible()) applyStatus();
}

void MainWindow::applyStatus() {
    buildControls();
    if (!pendingStatus_) return;
    const DisplayUpdate d = *std::exchange(pendingStatus_, std::nullopt);
    valueLabels_[0]->setText(QString::fromStdString(d.main.status));
    valueLabels_[1]->setText(QString::fromStdString(d.main.time));
    valueLabels_[2]->setText(QString::fromStdString(d.main.power));
    chargeBar_->setValue(std::clamp(d.bar, 0, 100));
    const QString key = QString::fromStdString(d.largeKey);
    if (key != pictureKey_) {
        statusPicture_->setPixmap(icons_.pixmap(d.largeKey));
        pictureKey_ = key;
    }
}

QString MainWindow::displayText(int index) const {
    if (pendingStatus_) {
        const StatusTexts& t = pendingStatus_->main;
        return QString::fromStdString(index == 0 ? t.status : index == 1 ? t.time : t.power);
    }
    return statusFrame_ ? valueLabels_.at(index)->text() : QString();
}

QString MainWindow::promptText(int index) const {
    return statusFrame_ ? promptLabels_.at(index)->text() : QString(kStatusPrompts.at(index));
}

int MainWindow::barValue() const {
    if (pendingStatus_) return std::clamp(pendingStatus_->bar, 0, 100);
    return statusFrame_ ? chargeBar_->value() : 0;
}

void MainWindow::endProgram() {
    ended_ = true;
    emit programEnding();
    hide();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ended_) {
        event->accept();
        return;
    }
    // The logic decides; a Yes ends the program through endProgram().
    event->ignore();
    emit closeRequested();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (statusPicture_ && watched == statusPicture_ &&
        event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            emit statusPictureRightReleased(me->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orvane
