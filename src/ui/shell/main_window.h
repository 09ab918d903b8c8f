#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "core/shell/views.h"
#include "ui/common/twips.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;

namespace orvane {

class StatusIcons;
class WindowSystem;

// frmMain: the status frame, and the owner of the pop-up menu.
class MainWindow : public QWidget, public MainView {
    Q_OBJECT
public:
    MainWindow(StatusIcons& icons, WindowSystem& windows, QWidget* parent = nullptr);

    void showWindow() override;
    void hideWindow() override;
    void setNormalState() override;
    void moveTo(TwipsPoint pos) override;
    TwipsPoint position() const override;
    void setTopMost(bool on) override;
    void bringToFront() override;
    void processPendingEvents() override;
    void showStatus(const DisplayUpdate& update) override;
    void showMenuState(const MenuState& menu) override;
    void showPopupMenu() override;
    void endProgram() override;

    QMenu* popupMenu() const { return menu_; }
    // Opens the pop-up menu at `at` (global); from the keyboard, with its first item active.
    void openMenuAt(QPoint at, bool fromKeyboard);
    // Where the next menu opens, when not at the pointer (a tray host may say where).
    void setNextMenuPlace(std::optional<QPoint> at) { nextMenuPlace_ = at; }
    QAction* menuAction(MenuItem item) const;
    // What the window shows, or will show when it is next shown.
    QString displayText(int index) const;
    QString promptText(int index) const;
    int barValue() const;
    QString pictureKey() const {
        return pendingStatus_ ? QString::fromStdString(pendingStatus_->largeKey) : pictureKey_;
    }
    bool programEnded() const { return ended_; }
    double layoutScale() const { return layout_.pixelsPerTwip(); }
    void setVisible(bool visible) override;
    // Until the controls are made, the window is shown at the size `recall` gives for its
    // layoutKey(), if any, and its controls are made with the first status it shows: measuring
    // the texts waits for the font database, which need not hold up the tray icon.
    // endDeferredLayout() makes them at the latest, and lays the window out as usual from then.
    void deferLayout(std::function<std::optional<QSize>(const QString& key)> recall);
    void endDeferredLayout();
    // What the size of the laid-out window follows from besides the design: the font and
    // the screen's resolution.
    QString layoutKey() const;

signals:
    // The close box, Alt+F4 or the system menu: the user asks to close.
    void closeRequested();
    void menuItemChosen(orvane::MenuItem item);
    void statusPictureRightReleased(QPoint globalPos);
    // The Menu key or Shift+F10: the menu opens at `globalPos`.
    void menuKeyPressed(QPoint globalPos);
    void programEnding();
    // The window has stood still at a new place for a moment, where the window system has it.
    void placeSettled();
    // The controls are made and the window has the size they need.
    void laidOut(const QString& key, QSize size);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    // Makes the controls and sizes the window to fit the desktop's font, when first needed:
    // measuring the texts loads the fonts, the costliest step of a start, and the tray icon
    // is up first where the display mode shows no window.
    void buildControls();
    // Shows the latest status, making the controls first if need be.
    void applyStatus();
    void settled();
    bool settledOnScreen() const;

    StatusIcons& icons_;
    WindowSystem& windows_;
    TwipLayout layout_;
    std::function<std::optional<QSize>(const QString& key)> recallSize_;
    QGroupBox* statusFrame_ = nullptr;
    std::array<QLabel*, 3> promptLabels_{};
    std::array<QLabel*, 3> valueLabels_{};
    QProgressBar* chargeBar_ = nullptr;
    QLabel* statusPicture_ = nullptr;
    QMenu* menu_ = nullptr;
    QTimer* settle_ = nullptr;
    QElapsedTimer shownFor_;
    static constexpr int kSettleMs = 500;
    std::array<QAction*, 9> actions_{};
    QString pictureKey_;
    std::optional<DisplayUpdate> pendingStatus_;
    QStringList loggedChecks_;
    std::optional<QPoint> nextMenuPlace_;
    bool ended_ = false;
    bool correcting_ = false;
    // Where the window last stood still while not minimized: a minimized window's place is
    // wherever the window manager's iconify animation left it.
    std::optional<QPoint> settledAt_;
    // Where the window was last put or last seen standing still: the place to store while
    // the window system has not shown where it stands.
    std::optional<QPoint> lastPlace_;
    // Where the window manager put the window of its own accord when it was shown or placed
    // (sway centres windows), and whether the next stop is the first since then: the user did
    // not choose that place, and it is not stored until the window moves on from it.
    std::optional<QPoint> chosenByWindowSystem_;
    bool firstSettle_ = false;
    // Hidden before it stood still since it was last placed.
    bool unsettledSinceHidden_ = false;
};

}  // namespace orvane
