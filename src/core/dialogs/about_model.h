#pragma once

#include <string>

#include "platform/link_opener.h"
#include "platform/message_boxes.h"

namespace orvane {

// What the build says about the program and its maker.
struct AboutInfo {
    std::string version;  // "2.1.2"
    std::string email;
    std::string web;
};

// Where the pointer is over the About box, for the underline rule.
enum class HoverTarget { Email, Website, Background, OtherControl };

// The About box's texts, link opening and hover underline rule.
class AboutModel {
public:
    AboutModel(AboutInfo info, MessageBoxes& messages, LinkOpener& opener)
        : info_(std::move(info)), messages_(messages), opener_(opener) {}

    std::string caption() const;
    std::string title() const;
    std::string versionText() const { return "Version " + info_.version; }
    std::string copyrightText() const;
    std::string authorText() const;
    std::string emailText() const { return "E-mail: " + info_.email; }
    std::string websiteText() const { return "Web: " + info_.web; }

    void Email();
    void Website();
    // Opens the address with the desktop's handler; a failure is reported in a message box.
    void ConnectInternet(const std::string& address);

    void hover(HoverTarget target);
    bool emailUnderlined() const { return emailUnderlined_; }
    bool websiteUnderlined() const { return websiteUnderlined_; }

private:
    AboutInfo info_;
    MessageBoxes& messages_;
    LinkOpener& opener_;
    bool emailUnderlined_ = false;
    bool websiteUnderlined_ = false;
};

}  // namespace orvane
