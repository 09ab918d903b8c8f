#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The learnt minutes per percent point are kept in decimal arithmetic of 28 significant
// digits, so the stored text is exact and reads back to the same number. The arithmetic
// itself stays in decimal.cpp: its headers would cost every includer seconds of compiling.
class Decimal {
public:
    Decimal(long long whole = 0);  // integers mix freely with decimals in the rules
    Decimal(const Decimal& other);
    Decimal(Decimal&& other) noexcept;
    Decimal& operator=(const Decimal& other);
    Decimal& operator=(Decimal&& other) noexcept;
    ~Decimal();
    // A moved-from decimal may only be assigned to or destroyed.

    // Toward zero; only for values known to fit.
    std::int64_t toInt64() const;

    // The number itself, complete only inside decimal.cpp.
    struct Value;
    explicit Decimal(std::unique_ptr<Value> value);
    const Value& value() const { return *value_; }

private:
    std::unique_ptr<Value> value_;
};

Decimal operator+(const Decimal& a, const Decimal& b);
Decimal operator-(const Decimal& a, const Decimal& b);
Decimal operator*(const Decimal& a, const Decimal& b);
Decimal operator/(const Decimal& a, const Decimal& b);
Decimal abs(const Decimal& value);
// -1, 0 or 1
int compare(const Decimal& a, const Decimal& b);

inline bool operator==(const Decimal& a, const Decimal& b) {
    return compare(a, b) == 0;
}
inline bool operator!=(const Decimal& a, const Decimal& b) {
    return compare(a, b) != 0;
}
inline bool operator<(const Decimal& a, const Decimal& b) {
    return compare(a, b) < 0;
}
inline bool operator>(const Decimal& a, const Decimal& b) {
    return compare(a, b) > 0;
}
inline bool operator<=(const Decimal& a, const Decimal& b) {
    return compare(a, b) <= 0;
}
inline bool operator>=(const Decimal& a, const Decimal& b) {
    return compare(a, b) >= 0;
}

// nullopt when the text is not a finite decimal number.
std::optional<Decimal> parseDecimal(std::string_view text);
// Plain decimal text, no exponent, no trailing zeros ("2.5", "1.854545454545454545454545455").
std::string formatDecimal(const Decimal& value);
// Nearest whole number, halves to the even neighbour.
Decimal roundHalfEven(const Decimal& value);

}  // namespace orvane
