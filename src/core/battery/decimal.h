#pragma once

#include <boost/multiprecision/cpp_dec_float.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The learnt minutes per percent point are kept in decimal arithmetic of 28 significant
// digits, so the stored text is exact and reads back to the same number.
using Decimal = boost::multiprecision::number<boost::multiprecision::cpp_dec_float<28>,
                                              boost::multiprecision::et_off>;

// nullopt when the text is not a finite decimal number.
std::optional<Decimal> parseDecimal(std::string_view text);
// Plain decimal text, no exponent, no trailing zeros ("2.5", "1.854545454545454545454545455").
std::string formatDecimal(const Decimal& value);
// Nearest whole number, halves to the even neighbour.
Decimal roundHalfEven(const Decimal& value);

}  // namespace orvane
