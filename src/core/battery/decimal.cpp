#include "core/battery/decimal.h"

#include <cctype>

#include "core/store/number_text.h"

namespace orvane {

std::optional<Decimal> parseDecimal(std::string_view text) {
    // The same grammar as any stored number; boost then reads the digits without loss.
    if (!parseNumber(text)) return std::nullopt;
    std::string t(trimBlanks(text));
    if (!t.empty() && t.front() == '+') t.erase(0, 1);
    try {
        Decimal d(t);
        if (!boost::multiprecision::isfinite(d)) return std::nullopt;
        return d;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string formatDecimal(const Decimal& value) {
    if (value == 0) return "0";
    // 28 significant digits, fixed notation, then the trailing zeros dropped.
    std::string s = value.str(28, std::ios_base::fmtflags(0));
    if (s.find_first_of("eE") != std::string::npos) {
        s = value.str(28, std::ios_base::fixed);
    }
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return s;
}

Decimal roundHalfEven(const Decimal& value) {
    Decimal fl = floor(value);
    const Decimal diff = value - fl;
    if (diff > Decimal("0.5")) return fl + 1;
    if (diff < Decimal("0.5")) return fl;
    // exactly half: go to the even neighbour
    const Decimal half = fl / 2;
    return floor(half) == half ? fl : fl + 1;
}

}  // namespace orvane
