#include "core/battery/display.h"

#include <cctype>
#include <cmath>

namespace orvane {

namespace {

struct StatusAndKey {
    std::string text;
    std::string key;
};

StatusAndKey statusTextAndKey(const PowerSnapshot& p) {
    const int status = p.batteryStatus;
    const int percent = p.batteryLifePercent;
    const bool onAc = p.acStatus == PowerSnapshot::kOnAc;
    if (status < PowerSnapshot::kNoBattery) {
        if (status < PowerSnapshot::kCharging) {
            if (percent == 100 && onAc) return {"100%", "ACS"};
            const int tens = percent < 10 ? 10 : percent / 10 * 10;
            return {std::to_string(percent) + "% Remaining", std::to_string(tens) + "S"};
        }
        if (percent == 100) return {"100%", "ACS"};
        return {std::to_string(percent) + "% Charging", "ChargeS"};
    }
    if (status < PowerSnapshot::kUnknown) return {"No Battery", onAc ? "ACS" : "UnknownS"};
    return {onAc ? "AC Power" : "Unknown", onAc ? "ACS" : "UnknownS"};
}

std::string shortStatus(const std::string& status) {
    if (status == "No Battery") return "N/A";
    return status.substr(0, 4);
}

std::string shortPower(const std::string& power) {
    if (power == "AC Power") return "AC";
    if (power == "Battery") return "Batt";
    return "N/A";
}

}  // namespace

DisplayUpdate ComposeDisplay(const PowerSnapshot& reading, std::int16_t minutes) {
    PowerSnapshot p = reading;
    // A battery whose charge is not a percentage (255 = unknown, or nonsense) cannot be
    // drawn as a level: show it as a battery in an unknown state instead.
    if (p.batteryStatus < PowerSnapshot::kNoBattery &&
        (p.batteryLifePercent < 0 || p.batteryLifePercent > 100)) {
        p.batteryStatus = PowerSnapshot::kUnknown;
    }

    DisplayUpdate d;
    StatusAndKey sk = statusTextAndKey(p);
    d.main.status = std::move(sk.text);
    d.smallKey = std::move(sk.key);
    d.largeKey = d.smallKey.substr(0, d.smallKey.size() - 1) + "L";
    const bool noBattery = p.batteryStatus >= PowerSnapshot::kNoBattery;
    d.bar = noBattery ? 0 : p.batteryLifePercent;
    if (noBattery || minutes == -1) {
        d.main.time = "No Data";
    } else {
        d.main.time = TimeText(minutes);
    }
    d.main.power = p.acStatus == PowerSnapshot::kOnBattery ? "Battery"
                   : p.acStatus == PowerSnapshot::kOnAc    ? "AC Power"
                                                           : "Unknown";
    d.tip =
        CutTip("Status: " + d.main.status + " | Time: " + d.main.time + " | Pwr: " + d.main.power);
    d.compact.status = shortStatus(d.main.status);
    d.compact.time = d.main.time == "No Data" ? "N/A" : d.main.time;
    d.compact.power = shortPower(d.main.power);
    return d;
}

std::string FormatTwoDigits(int n) {
    std::string s = std::to_string(n);
    return s.size() == 1 ? "0" + s : s;
}

std::string TimeText(int minutes) {
    return std::to_string(minutes / 60) + ":" + FormatTwoDigits(minutes % 60);
}

std::int16_t GetPowerSourceCode(const std::string& powerText) {
    if (powerText == "AC Power") return 1;
    if (powerText == "Battery") return 0;
    return 255;
}

int LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    double value = 0;
    bool any = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        any = true;
        if (value > 1e6) return negative ? -1000000 : 1000000;  // no real status text is longer
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            value += (text[i] - '0') * scale;
            scale /= 10;
            any = true;
        }
    }
    if (!any) return 0;
    const int r = static_cast<int>(std::nearbyint(value));
    return negative ? -r : r;
}

std::string CutTip(const std::string& tip) {
    // Count characters, not bytes: the tray shows at most kTipMaxChars of them.
    std::size_t chars = 0;
    for (std::size_t i = 0; i < tip.size(); ++i) {
        const auto c = static_cast<unsigned char>(tip[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == kTipMaxChars) return tip.substr(0, i);
            ++chars;
        }
    }
    return tip;
}

}  // namespace orvane
