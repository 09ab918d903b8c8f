#include "platform/windows/windows_power_source.h"

#include <utility>

#include "platform/windows/power_mapping.h"

namespace orvane {
namespace {

// GUID_ACDC_POWER_SOURCE and GUID_BATTERY_PERCENTAGE_REMAINING, spelt out so that no GUID
// library is needed.
constexpr GUID kPowerSource = {
    0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};
constexpr GUID kBatteryPercentage = {
    0xA7AD8041, 0xB45A, 0x4CAE, {0x87, 0xA3, 0xEE, 0xCB, 0xB4, 0x68, 0xA9, 0xE1}};

}  // namespace

WindowsPowerSource::WindowsPowerSource(Query query) : query_(std::move(query)) {
    if (!query_) query_ = [](SYSTEM_POWER_STATUS& s) { return GetSystemPowerStatus(&s) != FALSE; };
    last_ = this->query();
    window_ = std::make_unique<MessageWindow>(
        "OrvanePowerStatus", MessageWindow::Kind::MessageOnly,
        [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
            return onMessage(message, wParam, result);
        });
    if (window_->handle()) {
        sourceNotify_ = RegisterPowerSettingNotification(window_->handle(), &kPowerSource,
                                                         DEVICE_NOTIFY_WINDOW_HANDLE);
        percentNotify_ = RegisterPowerSettingNotification(window_->handle(), &kBatteryPercentage,
                                                          DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

WindowsPowerSource::~WindowsPowerSource() {
    if (sourceNotify_) UnregisterPowerSettingNotification(sourceNotify_);
    if (percentNotify_) UnregisterPowerSettingNotification(percentNotify_);
}

PowerSnapshot WindowsPowerSource::query() const {
    SYSTEM_POWER_STATUS status{};
    // No answer at all: every figure unknown, as a machine that cannot tell reports.
    return query_(status) ? snapshotFrom(status) : PowerSnapshot{};
}

PowerSnapshot WindowsPowerSource::read() const {
    return query();
}

void WindowsPowerSource::setChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

bool WindowsPowerSource::onMessage(UINT message, WPARAM wParam, LRESULT& result) {
    if (message != WM_POWERBROADCAST) return false;
    // Suspend notices change nothing that is shown; the status change, the registered
    // settings and the resumes may.
    if (wParam == PBT_APMPOWERSTATUSCHANGE || wParam == PBT_POWERSETTINGCHANGE ||
        wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
        const PowerSnapshot now = query();
        if (now != last_) {
            last_ = now;
            if (listener_) listener_();
        }
    }
    result = TRUE;
    return true;
}

}  // namespace orvane
