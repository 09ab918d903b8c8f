#pragma once

#include <QDialog>
#include <functional>

#include "core/dialogs/wizard_model.h"
#include "core/shell/views.h"

class QLabel;
class QPushButton;
class QSlider;

namespace orvane {

// Makes a dialog owned by `owner`; the caller runs it modally. The dialog is expected to
// delete itself when it closes.
using DialogFactory = std::function<QDialog*(QWidget* owner)>;

// frmPersonalize: the first-use wizard. Done writes the seed; the close box writes nothing.
class WizardWindow : public QDialog {
    Q_OBJECT
public:
    WizardWindow(SettingsStore& store, MessageBoxes& messages, DialogFactory controlCenter,
                 QWidget* owner = nullptr);

    WizardModel& model() { return model_; }
    QSlider* timeSlider() const { return sliderTime_; }
    QLabel* timeLabel() const { return timeLabel_; }
    QPushButton* doneButton() const { return doneButton_; }
    QPushButton* controlCenterButton() const { return controlCenterButton_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void openControlCenter();

    WizardModel model_;
    DialogFactory controlCenter_;
    QSlider* sliderTime_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QPushButton* controlCenterButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
};

// Shows the wizard modally when the first run asks for it; the window exists only meanwhile.
class WizardRunner : public FirstUseWizard {
public:
    WizardRunner(SettingsStore& store, MessageBoxes& messages, DialogFactory controlCenter,
                 QWidget* owner = nullptr)
        : store_(store),
          messages_(messages),
          controlCenter_(std::move(controlCenter)),
          owner_(owner) {}

    void run() override;

private:
    SettingsStore& store_;
    MessageBoxes& messages_;
    DialogFactory controlCenter_;
    QWidget* owner_;
};

}  // namespace orvane
