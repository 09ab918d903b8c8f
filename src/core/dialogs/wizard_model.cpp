#include "core/dialogs/wizard_model.h"

#include <algorithm>

#include "core/battery/decimal.h"
#include "core/battery/display.h"
#include "core/program.h"

namespace orvane {

namespace {
constexpr const char* kNoTimeGiven =
    "You have not input a value for the manufacturer estimated battery time. The estimated time "
    "will display 'No Data' until enough battery information has been obtained.";
}

std::string WizardModel::TimeLabel(int minutes) {
    return minutes > 0 ? TimeText(minutes) : "N/A";
}

void WizardModel::sliderMoved(int minutes) {
    minutes_ = std::clamp(minutes, kMinMinutes, kMaxMinutes);
    label_ = TimeLabel(minutes_);
}

void WizardModel::done() {
    if (minutes_ != 0) {
        // Decimal arithmetic keeps the text exact: 15 gives "0.15", not 0.15000000000000002.
        store_.save(
            {{Setting::Data, formatDecimal(Decimal(minutes_) / 100)}, {Setting::Count, "10"}});
        return;
    }
    store_.save({{Setting::Data, "0"}, {Setting::Count, "0"}});
    messages_.show(MessageRequest{kNoTimeGiven, kAppTitle, MsgButtons::Ok, MsgIcon::Information,
                                  MsgAnswer::Ok});
}

}  // namespace orvane
