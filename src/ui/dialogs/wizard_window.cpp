#include "ui/dialogs/wizard_window.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

#include "ui/common/status_icons.h"
#include "ui/common/twips.h"

namespace orvane {

namespace {

constexpr TwipRect kClient{0, 0, 6690, 3225};
constexpr TwipRect kWelcome{120, 60, 2280, 195};
constexpr TwipRect kEstimateFrame{3300, 60, 3270, 2445};
constexpr TwipRect kSlider{120, 2040, 3015, 255};
// Right-aligned at 3060 and wide enough for "10:00", however wide the font.
constexpr TwipRect kTime{2160, 1800, 900, 195};
constexpr TwipRect kEstimateText{120, 240, 3015, 1575};
// The design's box reaches 75 twips into the estimate frame and 15 into the alarms frame; the
// text keeps to its own column, short of both.
constexpr TwipRect kIntroText{120, 300, 3120, 960};
constexpr TwipRect kAlarmsFrame{120, 1320, 3090, 1815};
constexpr TwipRect kAlarmsText{120, 240, 2835, 975};
constexpr TwipRect kControlCenter{180, 1320, 2715, 375};
constexpr TwipRect kDone{5520, 2760, 1095, 375};

constexpr const char* kWelcomeText = "Welcome to Orvane!";
constexpr const char* kEstimateCaption = "Manufacturer estimated battery time";
constexpr const char* kAlarmsCaption = "Control Center";
constexpr const char* kControlCenterCaption = "Launch &Control Center";
constexpr const char* kDoneCaption = "&Done";
constexpr const char* kAlarmsMessage =
    "This is where you can set all the alarms that inform you when certain conditions are met. "
    "Click the "
    "button below to customize the settings for your personal preference.";
constexpr const char* kEstimateMessage =
    "To make the initial estimation more precise, please input the estimated full battery time of "
    "your "
    "laptop if available from the user's manual or the manufacturer by dragging the slider to "
    "closest "
    "estimated time. If this information is not available, drag the slider to the left until the "
    "display "
    "reads \"N/A\".";
constexpr const char* kIntroMessage =
    "This wizard will help you personalize Orvane and let you get the most out of this powerful "
    "battery "
    "management software. Please go through the settings carefully and click Done to start using "
    "Orvane.";

QLabel* wrappedLabel(const char* name, const char* text, const QRect& r, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(r);
    return label;
}

}  // namespace

WizardWindow::WizardWindow(SettingsStore& store, MessageBoxes& messages,
                           DialogFactory controlCenter, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      model_(store, messages),
      controlCenter_(std::move(controlCenter)) {
    setObjectName("frmPersonalize");
    setWindowTitle("Personalizing Orvane");
    setWindowIcon(StatusIcons::appIcon());
    build();
    centreOnScreen(this);
}

void WizardWindow::build() {
    const QFont plain = font();
    QFont bold = plain;
    bold.setBold(true);
    const int buttonPad = 2 * style()->pixelMetric(QStyle::PM_ButtonMargin) + 4;

    TwipLayout layout(this);
    layout.fit(bold, kWelcomeText, kWelcome.width, kWelcome.height);
    layout.fit(plain, kEstimateCaption, kEstimateFrame.width, 195, 16);
    layout.fit(plain, kAlarmsCaption, kAlarmsFrame.width, 195, 16);
    layout.fit(plain, "10:00", kTime.width, kTime.height);
    layout.fit(plain, kControlCenterCaption, kControlCenter.width, kControlCenter.height,
               buttonPad);
    layout.fit(plain, kDoneCaption, kDone.width, kDone.height, buttonPad);
    layout.fitWrapped(plain, kEstimateMessage, kEstimateText.width, kEstimateText.height);
    layout.fitWrapped(plain, kIntroMessage, kIntroText.width, kIntroText.height);
    layout.fitWrapped(plain, kAlarmsMessage, kAlarmsText.width, kAlarmsText.height);
    setFixedSize(layout.place(kClient).size());

    auto* welcome = new QLabel(kWelcomeText, this);
    welcome->setObjectName("lblMessage0");
    welcome->setFont(bold);
    welcome->setGeometry(layout.place(kWelcome));

    auto* estimate = new QGroupBox(kEstimateCaption, this);
    estimate->setObjectName("fraPersonalize0");
    estimate->setGeometry(layout.place(kEstimateFrame));
    sliderTime_ = new QSlider(Qt::Horizontal, estimate);
    sliderTime_->setObjectName("sliderTime");
    sliderTime_->setGeometry(layout.place(kSlider));
    sliderTime_->setRange(WizardModel::kMinMinutes, WizardModel::kMaxMinutes);
    sliderTime_->setSingleStep(WizardModel::kSmallStep);
    sliderTime_->setPageStep(WizardModel::kLargeStep);
    sliderTime_->setTickPosition(QSlider::TicksBelow);
    sliderTime_->setTickInterval(WizardModel::kLargeStep);
    sliderTime_->setValue(model_.minutes());
    timeLabel_ = new QLabel(QString::fromStdString(model_.timeLabel()), estimate);
    timeLabel_->setObjectName("lblTime");
    timeLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    timeLabel_->setGeometry(layout.place(kTime));
    wrappedLabel("lblMessage1", kEstimateMessage, layout.place(kEstimateText), estimate);

    wrappedLabel("lblMessage2", kIntroMessage, layout.place(kIntroText), this);

    auto* alarms = new QGroupBox(kAlarmsCaption, this);
    alarms->setObjectName("fraPersonalize1");
    alarms->setGeometry(layout.place(kAlarmsFrame));
    wrappedLabel("lblMessage3", kAlarmsMessage, layout.place(kAlarmsText), alarms);
    controlCenterButton_ = new QPushButton(kControlCenterCaption, alarms);
    controlCenterButton_->setObjectName("cmdControlCenter");
    controlCenterButton_->setGeometry(layout.place(kControlCenter));

    doneButton_ = new QPushButton(kDoneCaption, this);
    doneButton_->setObjectName("cmdDone");
    doneButton_->setGeometry(layout.place(kDone));
    doneButton_->setDefault(true);

    setTabOrder(sliderTime_, controlCenterButton_);
    setTabOrder(controlCenterButton_, doneButton_);
    sliderTime_->setFocus();

    connect(sliderTime_, &QSlider::valueChanged, this, [this](int v) {
        model_.sliderMoved(v);
        timeLabel_->setText(QString::fromStdString(model_.timeLabel()));
    });
    connect(controlCenterButton_, &QPushButton::clicked, this, &WizardWindow::openControlCenter);
    connect(doneButton_, &QPushButton::clicked, this, [this] {
        model_.done();
        accept();
    });
}

void WizardWindow::openControlCenter() {
    if (!controlCenter_) return;
    const QPointer<QDialog> dialog = controlCenter_(this);
    if (!dialog) return;
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->exec();
}

void WizardWindow::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button: Esc must not close the wizard.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void WizardRunner::run() {
    WizardWindow wizard(store_, messages_, controlCenter_, owner_);
    wizard.exec();
}

}  // namespace orvane
