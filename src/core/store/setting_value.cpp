#include "core/store/setting_value.h"

#include <cmath>
#include <limits>

#include "core/store/number_text.h"

namespace orvane {

double SettingValue::toNumber() const {
    switch (kind_) {
        case Kind::Absent:
            return 0;
        case Kind::Number:
            return number_;
        case Kind::Text:
            return parseNumber(text_).value_or(0);
    }
    return 0;
}

std::string SettingValue::toText() const {
    switch (kind_) {
        case Kind::Absent:
            return {};
        case Kind::Number:
            return std::to_string(number_);
        case Kind::Text:
            return text_;
    }
    return {};
}

std::int16_t SettingValue::toInt16() const {
    return static_cast<std::int16_t>(
        roundHalfEvenClamped(toNumber(), std::numeric_limits<std::int16_t>::min(),
                             std::numeric_limits<std::int16_t>::max()));
}

std::int64_t roundHalfEvenClamped(double value, std::int64_t lo, std::int64_t hi) {
    if (std::isnan(value)) return 0 < lo ? lo : (0 > hi ? hi : 0);
    if (value <= static_cast<double>(lo)) return lo;
    if (value >= static_cast<double>(hi)) return hi;
    const double r = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    return static_cast<std::int64_t>(r);
}

}  // namespace orvane
