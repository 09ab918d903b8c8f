#include "core/dialogs/about_model.h"

#include "core/program.h"

namespace orvane {

std::string AboutModel::caption() const {
    return std::string("About ") + kAppTitle;
}

std::string AboutModel::title() const {
    return kAppTitle;
}

std::string AboutModel::copyrightText() const {
    return "Copyright (C) Merrowin";
}

std::string AboutModel::authorText() const {
    return "by Merrowin";
}

void AboutModel::Email() {
    ConnectInternet("mailto:" + info_.email);
}

void AboutModel::Website() {
    ConnectInternet(info_.web);
}

void AboutModel::ConnectInternet(const std::string& address) {
    switch (opener_.open(address)) {
        case LinkOpenResult::Opened:
            return;
        case LinkOpenResult::NoHandler:
            messages_.show({"Could not find default Internet Browser", "Browser Not Found",
                            MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok});
            return;
        case LinkOpenResult::Failed:
            messages_.show({"Attemp failed. Address " + address + " cannot be opened", "URL Failed",
                            MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok});
            return;
    }
}

void AboutModel::hover(HoverTarget target) {
    switch (target) {
        case HoverTarget::Email:
            emailUnderlined_ = true;
            break;
        case HoverTarget::Website:
            websiteUnderlined_ = true;
            break;
        case HoverTarget::Background:
            emailUnderlined_ = false;
            websiteUnderlined_ = false;
            break;
        case HoverTarget::OtherControl:
            break;
    }
}

}  // namespace orvane
