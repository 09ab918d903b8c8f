#pragma once

#include <QDialog>

#include "core/dialogs/about_model.h"

class QLabel;
class QPushButton;

namespace orvane {

class LinkLabel;

// frmAbout: modeless, deletes itself when closed (keep one with DialogSlot<AboutWindow>).
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    // The version and the maker's addresses this build was configured with.
    static AboutInfo buildInfo();

    AboutWindow(MessageBoxes& messages, LinkOpener& opener, QWidget* owner = nullptr,
                AboutInfo info = buildInfo());

    AboutModel& model() { return model_; }
    LinkLabel* emailLabel() const { return emailLink_; }
    LinkLabel* websiteLabel() const { return websiteLink_; }
    QPushButton* okButton() const { return okButton_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void build();
    void hover(HoverTarget target);

    AboutModel model_;
    LinkLabel* emailLink_ = nullptr;
    LinkLabel* websiteLink_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace orvane
