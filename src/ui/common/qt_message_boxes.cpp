#include "ui/common/qt_message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/common/log_categories.h"
#include "ui/common/status_icons.h"

namespace orvane {

MsgAnswer QtMessageBoxes::show(const MessageRequest& request) {
    const QString text = QString::fromStdString(request.text).replace(QChar('\r'), QChar('\n'));
    const QString title = QString::fromStdString(request.title);
    qCDebug(lcMessages).noquote() << title << "|" << text;

    // Without an owner the box would belong to Qt's hidden leader window, and a window
    // manager may stack it beneath an on-top window of ours.
    const Owner owner = owner_ ? owner_() : Owner{};
    QMessageBox box(owner.window);
    if (owner.onTop) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setWindowTitle(title);
    box.setWindowIcon(StatusIcons::appIcon());
    box.setText(text);
    switch (request.icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    if (request.buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.defaultButton == MsgAnswer::No ? QMessageBox::No
                                                                    : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    box.setWindowModality(Qt::ApplicationModal);
    const int r = box.exec();
    if (request.buttons == MsgButtons::YesNo) {
        return r == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    return MsgAnswer::Ok;
}

}  // namespace orvane
