#include "core/battery/decimal.h"

#include <boost/multiprecision/cpp_dec_float.hpp>
#include <utility>

#include "core/store/number_text.h"

namespace orvane {

using Number = boost::multiprecision::number<boost::multiprecision::cpp_dec_float<28>,
                                             boost::multiprecision::et_off>;

struct Decimal::Value {
    Number n;
};

namespace {
Decimal of(Number n) {
    return Decimal(std::make_unique<Decimal::Value>(Decimal::Value{std::move(n)}));
}
const Number& number(const Decimal& d) {
    return d.value().n;
}
}  // namespace

Decimal::Decimal(long long whole) : value_(std::make_unique<Value>(Value{Number(whole)})) {}
Decimal::Decimal(std::unique_ptr<Value> value) : value_(std::move(value)) {}
Decimal::Decimal(const Decimal& other) : value_(std::make_unique<Value>(*other.value_)) {}
Decimal::Decimal(Decimal&& other) noexcept = default;
Decimal& Decimal::operator=(const Decimal& other) {
    Decimal copy(other);
    std::swap(value_, copy.value_);
    return *this;
}
Decimal& Decimal::operator=(Decimal&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
}
Decimal::~Decimal() = default;

std::int64_t Decimal::toInt64() const {
    return value_->n.convert_to<std::int64_t>();
}

Decimal operator+(const Decimal& a, const Decimal& b) {
    return of(number(a) + number(b));
}
Decimal operator-(const Decimal& a, const Decimal& b) {
    return of(number(a) - number(b));
}
Decimal operator*(const Decimal& a, const Decimal& b) {
    return of(number(a) * number(b));
}
Decimal operator/(const Decimal& a, const Decimal& b) {
    return of(number(a) / number(b));
}
Decimal abs(const Decimal& value) {
    return of(abs(number(value)));
}

int compare(const Decimal& a, const Decimal& b) {
    if (number(a) < number(b)) return -1;
    return number(b) < number(a) ? 1 : 0;
}

std::optional<Decimal> parseDecimal(std::string_view text) {
    // The same grammar as any stored number; boost then reads the digits without loss.
    if (!parseNumber(text)) return std::nullopt;
    std::string t(trimBlanks(text));
    if (!t.empty() && t.front() == '+') t.erase(0, 1);
    try {
        Number d(t);
        if (!boost::multiprecision::isfinite(d)) return std::nullopt;
        return of(std::move(d));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string formatDecimal(const Decimal& value) {
    const Number& n = number(value);
    if (n == 0) return "0";
    // 28 significant digits, fixed notation, then the trailing zeros dropped.
    std::string s = n.str(28, std::ios_base::fmtflags(0));
    if (s.find_first_of("eE") != std::string::npos) {
        s = n.str(28, std::ios_base::fixed);
    }
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return s;
}

Decimal roundHalfEven(const Decimal& value) {
    const Number& v = number(value);
    const Number fl = floor(v);
    const Number diff = v - fl;
    const Number half("0.5");
    if (diff > half) return of(fl + 1);
    if (diff < half) return of(fl);
    // exactly half: go to the even neighbour
    const Number h = fl / 2;
    return floor(h) == h ? of(fl) : of(fl + 1);
}

}  // namespace orvane
