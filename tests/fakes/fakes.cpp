#include "fakes/fakes.h"

#include "core/store/setting_value.h"
#include "support/test_support.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace orvane {
void PrintTo(const PowerSnapshot& s, std::ostream* os) {
    *os << "{ac " << s.acStatus << ", status " << s.batteryStatus << ", " << s.batteryLifePercent
        << " %, life " << s.batteryLifeTime << " s, full " << s.batteryFullTime << " s}";
}
void PrintTo(const SettingValue& v, std::ostream* os) {
    *os << (v.isAbsent()                           ? "<absent>"
            : v.kind() == SettingValue::Kind::Text ? '"' + v.toText() + '"'
                                                   : "number " + v.toText());
}
}  // namespace orvane

namespace orvane::test {

std::string MemoryBackend::lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool MemoryBackend::createKey(const std::string& keyPath) {
    if (failWrites) return false;
    keys_[lower(keyPath)];
    return true;
}

bool MemoryBackend::commit(const std::vector<ValueWrite>& values) {
    if (failWrites) return false;
    for (const ValueWrite& w : values)
        if (!keys_.count(lower(w.keyPath))) return false;
    commits.emplace_back();
    for (const ValueWrite& w : values) {
        keys_[lower(w.keyPath)][lower(w.name)] = w.value;
        commits.back().push_back(w.name);
    }
    return true;
}

std::optional<RegValue> MemoryBackend::queryValue(const std::string& keyPath,
                                                  const std::string& name) {
    const auto k = keys_.find(lower(keyPath));
    if (k == keys_.end()) return std::nullopt;
    const auto v = k->second.find(lower(name));
    return v == k->second.end() ? std::nullopt : std::optional(v->second);
}

void MemoryBackend::putText(const std::string& keyPath, const std::string& name,
                            const std::string& text) {
    keys_[lower(keyPath)][lower(name)] = sz(text);
}

std::string MemoryBackend::text(const std::string& keyPath, const std::string& name) {
    const auto v = queryValue(keyPath, name);
    if (!v || v->type != 1 || v->data.empty()) return "<absent>";
    return std::string(v->data.begin(), v->data.end() - 1);
}

void FakeClock::set(double timeOfDay) {
    awake_ += wrap(timeOfDay - timeOfDay_);
    timeOfDay_ = timeOfDay;
}

double FakeClock::wrap(double t) {
    return std::fmod(std::fmod(t, 86400.0) + 86400.0, 86400.0);
}

MsgAnswer ScriptedMessages::show(const MessageRequest& request) {
    shown.push_back(request);
    if (onShow) onShow(request);
    if (answers.empty())
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

void FakePowerSource::change(const PowerSnapshot& next) {
    const bool changed = next != snapshot;
    snapshot = next;
    if (changed && listener_) listener_();
}

PowerSnapshot discharging(int percent, int seconds) {
    const int level = percent > 66 ? 1 : percent < 5 ? 4 : percent < 33 ? 2 : 0;
    return {0, static_cast<std::int16_t>(level), static_cast<std::int16_t>(percent), seconds, -1};
}

PowerSnapshot charging(int percent) {
    PowerSnapshot p = discharging(percent);
    p.acStatus = 1;
    p.batteryStatus = static_cast<std::int16_t>(p.batteryStatus + 8);
    return p;
}

}  // namespace orvane::test
