#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "core/alarms/control_center_model.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace orvane {

// frmControlCenter: shows the model and forwards each user action to it. The model is
// loaded once, when the window is made; the window deletes itself when it closes.
class ControlCenterWindow : public QDialog {
    Q_OBJECT
public:
    // `bringMainToFront` runs whenever the dialog closes, however it is closed.
    ControlCenterWindow(std::unique_ptr<ControlCenterModel> model,
                        std::function<void()> bringMainToFront, QWidget* owner = nullptr);
    ~ControlCenterWindow() override;

    ControlCenterModel& model() { return *model_; }
    QCheckBox* checkBox(AlarmCheck which) const { return checks_[static_cast<std::size_t>(which)]; }
    QSlider* slider(AlarmSlider which) const { return sliders_[static_cast<std::size_t>(which)]; }
    QLabel* valueLabel(AlarmSlider which) const { return labels_[static_cast<std::size_t>(which)]; }
    QPushButton* okButton() const { return finishButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QPushButton* infoButton() const { return infoButton_; }
    QPushButton* resetButton() const { return resetButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void refresh();

    std::unique_ptr<ControlCenterModel> model_;
    std::function<void()> bringMainToFront_;
    std::array<QCheckBox*, kAlarmCheckCount> checks_{};
    std::array<QSlider*, kAlarmSliderCount> sliders_{};
    std::array<QLabel*, kAlarmSliderCount> labels_{};
    QPushButton* finishButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* infoButton_ = nullptr;
    QPushButton* resetButton_ = nullptr;
};

}  // namespace orvane
