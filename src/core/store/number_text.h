#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Numbers are stored as plain decimal text with "." as the separator, whatever the user's
// locale, so a store file reads back the same on any machine.

// The number a text holds (surrounding blanks allowed, optional sign, fraction, exponent),
// or nullopt when the text is not a finite number.
std::optional<double> parseNumber(std::string_view text);

// Whole numbers without a fraction ("7680", "-5"); others with the shortest text that reads
// back to the same double.
std::string formatNumber(double value);

std::string_view trimBlanks(std::string_view text);

}  // namespace orvane
