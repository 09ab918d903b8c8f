#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "core/shell/views.h"
#include "ui/common/twips.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace orvane {

class StatusIcons;
class WindowSystem;

// frmCompact: the borderless panel that floats on top in Compact mode.
class CompactWindow : public QWidget {
    Q_OBJECT
public:
    CompactWindow(StatusIcons& icons, WindowSystem& windows, QWidget* parent = nullptr);

    void showStatus(const DisplayUpdate& update);
    QString displayText(int index) const;
    int barValue() const;
    QString pictureKey() const { return pictureKey_; }
    QLabel* icon() const { return iconPicture_; }

signals:
    // The icon was dragged and dropped somewhere.
    void dragFinished();
    void iconRightReleased(QPoint globalPos);
    // The Menu key or Shift+F10: the menu opens at `globalPos`.
    void menuKeyPressed(QPoint globalPos);
    void iconDoubleClicked();
    void closing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void beginDrag(QPoint pressPos);
    void dropped();

    enum class Drag { None, System, Manual };
    Drag drag_ = Drag::None;
    bool pressed_ = false;
    QPoint pressPos_;
    QPoint grabOffset_;
    QTimer* settle_ = nullptr;
    QPoint dragFrom_;
    int systemMotions_ = 0;
    // Where the last drop was reported: a pause of the window manager's move, or our own
    // snap that it did not carry out, is no new drop where the panel has not moved.
    std::optional<QPoint> lastDrop_;

    StatusIcons& icons_;
    WindowSystem& windows_;
    TwipLayout layout_;
    std::array<QLabel*, 3> valueLabels_{};
    QProgressBar* chargeBar_ = nullptr;
    QLabel* iconPicture_ = nullptr;
    QString pictureKey_;
};

// Creates and discards the compact window on the logic's request.
class CompactHost : public QObject, public CompactView {
    Q_OBJECT
public:
    CompactHost(StatusIcons& icons, WindowSystem& windows, QObject* parent = nullptr);
    ~CompactHost() override;

    void create() override;
    bool exists() const override { return window_ != nullptr; }
    void showWindow() override;
    void hideWindow() override;
    void moveTo(TwipsPoint pos) override;
    TwipsPoint position() const override;
    void setTopMost(bool on) override;
    void bringToFront() override;
    void showStatus(const DisplayUpdate& update) override;
    void destroy() override;

    CompactWindow* window() const { return window_.get(); }

signals:
    void created(orvane::CompactWindow* window);
    // The panel, moved by the program, has had the time to get there.
    void placeSettled();

private:
    QPoint placeInPixels() const;
    void settled();
    // Asks the window manager to move the shown panel from `real` to `to`.
    void askMove(QPoint real, QPoint to);

    StatusIcons& icons_;
    WindowSystem& windows_;
    std::unique_ptr<CompactWindow> window_;
    QTimer* settle_;
    // A move asked of a shown panel: a window manager still finishing its own move of it
    // (kwin, xfwm4) may drop the request, and the panel would stay where it was let go.
    struct Move {
        QPoint from;
        QPoint to;
        int retries = 0;
    };
    std::optional<Move> move_;
    // The place the program gave the panel, and whether the user has dragged it since: until
    // then, a place the window system chose itself (sway centres it) is not the one to store.
    std::optional<QPoint> given_;
    bool userPlaced_ = false;
};

}  // namespace orvane
