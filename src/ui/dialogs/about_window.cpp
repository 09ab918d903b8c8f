#include "ui/dialogs/about_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

#include "ui/common/status_icons.h"
#include "ui/common/twips.h"
#include "ui/dialogs/link_label.h"

namespace orvane {

namespace {

constexpr TwipRect kClient{0, 0, 3840, 2760};
constexpr TwipRect kOK{1290, 2280, 1260, 345};
constexpr TwipRect kIcon{120, 120, 960, 960};
constexpr TwipRect kTitle{1200, 105, 2370, 285};
constexpr TwipRect kVersion{1200, 480, 2160, 195};
constexpr TwipRect kCopyright{1200, 840, 2475, 195};
constexpr TwipRect kInfo{135, 1305, 1845, 195};
constexpr TwipRect kEmail{135, 1665, 3540, 195};
constexpr TwipRect kWebsite{120, 1920, 3570, 195};

}  // namespace

AboutInfo AboutWindow::buildInfo() {
    return {ORVANE_ABOUT_VERSION, ORVANE_ABOUT_EMAIL, ORVANE_ABOUT_WEB};
}

AboutWindow::AboutWindow(MessageBoxes& messages, LinkOpener& opener, QWidget* owner, AboutInfo info)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      model_(std::move(info), messages, opener) {
    setObjectName("frmAbout");
    setWindowTitle(QString::fromStdString(model_.caption()));
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    centreOnScreen(this);
}

void AboutWindow::build() {
    const QFont plain = font();
    QFont bold = plain;
    bold.setBold(true);
    QFont titleFont(QStringLiteral("Arial"), 12);
    titleFont.setBold(true);
    const int buttonPad = 2 * style()->pixelMetric(QStyle::PM_ButtonMargin) + 4;

    const QString title = QString::fromStdString(model_.title());
    const QString version = QString::fromStdString(model_.versionText());
    const QString copyright = QString::fromStdString(model_.copyrightText());
    const QString author = QString::fromStdString(model_.authorText());
    const QString email = QString::fromStdString(model_.emailText());
    const QString web = QString::fromStdString(model_.websiteText());

    TwipLayout layout(this);
    layout.fit(titleFont, title, kTitle.width, kTitle.height);
    layout.fit(plain, version, kVersion.width, kVersion.height);
    layout.fit(plain, copyright, kCopyright.width, kCopyright.height);
    layout.fit(bold, author, kInfo.width, kInfo.height);
    layout.fit(plain, email, kEmail.width, kEmail.height);
    layout.fit(plain, web, kWebsite.width, kWebsite.height);
    layout.fit(plain, "&OK", kOK.width, kOK.height, buttonPad);
    setFixedSize(layout.place(kClient).size());

    const auto label = [this, &layout](const char* name, const QString& text, const TwipRect& box) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(layout.place(box));
        l->setMouseTracking(true);
        return l;
    };

    okButton_ = new QPushButton("&OK", this);
    okButton_->setObjectName("cmdOK");
    okButton_->setGeometry(layout.place(kOK));
    okButton_->setDefault(true);
    okButton_->setMouseTracking(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    QLabel* icon = label("imgIcon", QString(), kIcon);
    icon->setScaledContents(true);
    const QRect iconRect = layout.place(kIcon);
    icon->setPixmap(StatusIcons::appIcon().pixmap(iconRect.size()));

    QLabel* lblTitle = label("lblTitle", title, kTitle);
    lblTitle->setFont(titleFont);
    QPalette darkBlue = lblTitle->palette();
    darkBlue.setColor(QPalette::WindowText, QColor(0, 0, 192));
    lblTitle->setPalette(darkBlue);

    label("lblVersion", version, kVersion);
    label("lblCopyright", copyright, kCopyright);
    label("lblInfo", author, kInfo)->setFont(bold);

    const auto link = [this, &layout](const char* name, const QString& text, const TwipRect& box) {
        auto* l = new LinkLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(layout.place(box));
        l->setMouseTracking(true);
        QPalette blue = l->palette();
        blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
        l->setPalette(blue);
        return l;
    };
    emailLink_ = link("lblEmail", email, kEmail);
    websiteLink_ = link("lblWebsite", web, kWebsite);
    connect(emailLink_, &LinkLabel::activated, this, [this] { model_.Email(); });
    connect(websiteLink_, &LinkLabel::activated, this, [this] { model_.Website(); });
    // Tab goes from OK to the e-mail link, then the web link.
    setTabOrder(okButton_, emailLink_);
    setTabOrder(emailLink_, websiteLink_);
    setMouseTracking(true);
    okButton_->setFocus();
}

void AboutWindow::hover(HoverTarget target) {
    model_.hover(target);
    for (auto [link, on] : {std::pair{emailLink_, model_.emailUnderlined()},
                            std::pair{websiteLink_, model_.websiteUnderlined()}}) {
        if (link->font().underline() == on) continue;
        QFont f = link->font();
        f.setUnderline(on);
        link->setFont(f);
    }
}

void AboutWindow::mouseMoveEvent(QMouseEvent* event) {
    // Controls pass moves they do not use up to here, so find out what is under the pointer.
    const QWidget* under = childAt(event->position().toPoint());
    if (!under) {
        hover(HoverTarget::Background);
    } else if (under == emailLink_) {
        hover(HoverTarget::Email);
    } else if (under == websiteLink_) {
        hover(HoverTarget::Website);
    } else {
        hover(HoverTarget::OtherControl);
    }
    QDialog::mouseMoveEvent(event);
}

void AboutWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button: Esc leaves the box open.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orvane
