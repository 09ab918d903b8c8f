#include "ui/alarms/control_center_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

#include "ui/common/status_icons.h"
#include "ui/common/twips.h"

namespace orvane {

namespace {

constexpr TwipRect kClient{0, 0, 5685, 3315};

struct AlarmFrame {
    const char* frameName;
    const char* caption;
    TwipRect frame;
    const char* checkName;
    const char* sliderName;
    const char* labelName;
};

// In slider order; inside each frame the check box, slider and value label sit alike.
constexpr std::array<AlarmFrame, kAlarmSliderCount> kAlarmFrames{{
    {"fraAlarm0",
     "Low battery alarm",
     {60, 60, 2730, 885},
     "chkLowBatt",
     "sliderLowBatt",
     "lblLowBatt"},
    {"fraAlarm1",
     "Critical battery alarm",
     {60, 960, 2730, 900},
     "chkCriticalBatt",
     "sliderCriticalBatt",
     "lblCriticalBatt"},
    {"fraAlarm2",
     "Low battery time alarm",
     {2820, 60, 2730, 900},
     "chkLowBattTime",
     "sliderLowBattTime",
     "lblLowBattTime"},
    {"fraAlarm3",
     "Critical battery time alarm",
     {2820, 960, 2730, 900},
     "chkCriticalBattTime",
     "sliderCriticalBattTime",
     "lblCriticalBattTime"},
}};
constexpr TwipRect kCheck{120, 240, 915, 255};
constexpr TwipRect kSlider{120, 540, 2475, 255};
// The value labels are right-aligned at 2520; they reach left to the check box so a long
// time such as 546:07 is not clipped.
constexpr TwipRect kValue{1100, 300, 1420, 195};

constexpr TwipRect kMiscFrame{60, 1860, 2730, 1380};
constexpr TwipRect kMiscText{120, 240, 2100, 435};
constexpr TwipRect kPowerSource{240, 720, 1935, 255};
constexpr TwipRect kFullBatt{240, 1020, 1935, 255};
constexpr TwipRect kResetFrame{2820, 1860, 2730, 900};
constexpr TwipRect kInfo{120, 300, 975, 435};
constexpr TwipRect kReset{1200, 300, 1400, 435};
constexpr TwipRect kFinish{2835, 2820, 1575, 420};
constexpr TwipRect kCancel{4515, 2820, 1035, 420};

constexpr const char* kMiscCaption = "Miscellaneous alarm";
constexpr const char* kMiscMessage = "Display a message when the following occurs:";
constexpr const char* kResetCaption = "Reset battery time information";

}  // namespace

ControlCenterWindow::ControlCenterWindow(std::unique_ptr<ControlCenterModel> model,
                                         std::function<void()> bringMainToFront, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      model_(std::move(model)),
      bringMainToFront_(std::move(bringMainToFront)) {
    setObjectName("frmControlCenter");
    setWindowTitle("Control Center");
    setWindowIcon(StatusIcons::appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    connect(this, &QDialog::finished, this, [this] {
        if (bringMainToFront_) bringMainToFront_();
    });
    model_->load();
    refresh();
    centreOnScreen(this);
}

ControlCenterWindow::~ControlCenterWindow() = default;

void ControlCenterWindow::build() {
    QFont plain = font();
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                          style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 4;
    const int buttonPad = 2 * style()->pixelMetric(QStyle::PM_ButtonMargin) + 4;
    constexpr int framePad = 16;

    TwipLayout layout(this);
    for (const AlarmFrame& f : kAlarmFrames) {
        layout.fit(plain, f.caption, f.frame.width, 195, framePad);
        layout.fit(plain, "Enabled", kCheck.width, kCheck.height, indicator);
        layout.fit(plain, "10:00", kValue.width, kValue.height);
    }
    layout.fit(plain, kMiscCaption, kMiscFrame.width, 195, framePad);
    layout.fit(plain, kResetCaption, kResetFrame.width, 195, framePad);
    layout.fitWrapped(plain, kMiscMessage, kMiscText.width, kMiscText.height);
    layout.fit(plain, "Power source change", kPowerSource.width, kPowerSource.height, indicator);
    layout.fit(plain, "Battery fully charged", kFullBatt.width, kFullBatt.height, indicator);
    layout.fit(plain, "&More info", kInfo.width, kInfo.height, buttonPad);
    layout.fit(plain, "&Reset", kReset.width, kReset.height, buttonPad);
    layout.fit(plain, "&Ok", kFinish.width, kFinish.height, buttonPad);
    layout.fit(plain, "&Cancel", kCancel.width, kCancel.height, buttonPad);
    setFixedSize(layout.place(kClient).size());

    for (std::size_t i = 0; i < kAlarmFrames.size(); ++i) {
        const AlarmFrame& f = kAlarmFrames[i];
        auto* frame = new QGroupBox(f.caption, this);
        frame->setObjectName(f.frameName);
        frame->setGeometry(layout.place(f.frame));

        checks_[i] = new QCheckBox("Enabled", frame);
        checks_[i]->setObjectName(f.checkName);
        checks_[i]->setGeometry(layout.place(kCheck));

        sliders_[i] = new QSlider(Qt::Horizontal, frame);
        sliders_[i]->setObjectName(f.sliderName);
        sliders_[i]->setGeometry(layout.place(kSlider));
        sliders_[i]->setSingleStep(1);
        sliders_[i]->setPageStep(10);
        sliders_[i]->setTickPosition(QSlider::TicksBelow);

        labels_[i] = new QLabel(frame);
        labels_[i]->setObjectName(f.labelName);
        labels_[i]->setGeometry(layout.place(kValue));
        labels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    auto* misc = new QGroupBox(kMiscCaption, this);
    misc->setObjectName("fraAlarm4");
    misc->setGeometry(layout.place(kMiscFrame));
    auto* text = new QLabel(kMiscMessage, misc);
    text->setObjectName("lblMessage0");
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(layout.place(kMiscText));
    auto* power = new QCheckBox("Power source change", misc);
    power->setObjectName("chkPowerSource");
    power->setGeometry(layout.place(kPowerSource));
    auto* full = new QCheckBox("Battery fully charged", misc);
    full->setObjectName("chkFullBatt");
    full->setGeometry(layout.place(kFullBatt));
    checks_[static_cast<std::size_t>(AlarmCheck::PowerSource)] = power;
    checks_[static_cast<std::size_t>(AlarmCheck::FullBatt)] = full;

    auto* resetFrame = new QGroupBox(kResetCaption, this);
    resetFrame->setObjectName("fraReset");
    resetFrame->setGeometry(layout.place(kResetFrame));
    infoButton_ = new QPushButton("&More info", resetFrame);
    infoButton_->setObjectName("cmdInfo");
    infoButton_->setGeometry(layout.place(kInfo));
    resetButton_ = new QPushButton("&Reset", resetFrame);
    resetButton_->setObjectName("cmdReset");
    resetButton_->setGeometry(layout.place(kReset));

    finishButton_ = new QPushButton("&Ok", this);
    finishButton_->setObjectName("cmdFinish");
    finishButton_->setGeometry(layout.place(kFinish));
    finishButton_->setDefault(true);
    cancelButton_ = new QPushButton("&Cancel", this);
    cancelButton_->setObjectName("cmdCancel");
    cancelButton_->setGeometry(layout.place(kCancel));

    // The design's tab order; frames and labels take no focus.
    const std::array<QWidget*, 14> tabOrder{checks_[0],  sliders_[0], checks_[1],    sliders_[1],
                                            checks_[2],  sliders_[2], checks_[3],    sliders_[3],
                                            power,       full,        finishButton_, cancelButton_,
                                            infoButton_, resetButton_};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    checks_[0]->setFocus();

    for (std::size_t i = 0; i < checks_.size(); ++i) {
        const auto which = static_cast<AlarmCheck>(i);
        connect(checks_[i], &QCheckBox::toggled, this, [this, which](bool on) {
            model_->setChecked(which, on);
            refresh();
        });
    }
    for (std::size_t i = 0; i < sliders_.size(); ++i) {
        const auto which = static_cast<AlarmSlider>(i);
        connect(sliders_[i], &QSlider::valueChanged, this, [this, which](int v) {
            model_->setSliderValue(which, v);
            refresh();
        });
    }
    connect(finishButton_, &QPushButton::clicked, this, [this] {
        model_->ok();
        accept();
    });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { model_->cancel(); });
    connect(infoButton_, &QPushButton::clicked, this, [this] { model_->moreInfo(); });
    connect(resetButton_, &QPushButton::clicked, this, [this] { model_->reset(); });
}

void ControlCenterWindow::refresh() {
    for (std::size_t i = 0; i < checks_.size(); ++i) {
        const QSignalBlocker block(checks_[i]);
        checks_[i]->setChecked(model_->checked(static_cast<AlarmCheck>(i)));
    }
    for (std::size_t i = 0; i < sliders_.size(); ++i) {
        const SliderState& s = model_->slider(static_cast<AlarmSlider>(i));
        const QSignalBlocker block(sliders_[i]);
        sliders_[i]->setRange(s.minimum, s.maximum);
        sliders_[i]->setTickInterval(s.tickFrequency);
        sliders_[i]->setValue(s.value);
        labels_[i]->setText(QString::fromStdString(s.label));
        labels_[i]->setEnabled(s.enabled);
        sliders_[i]->setEnabled(s.enabled);
    }
}

void ControlCenterWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

}  // namespace orvane
