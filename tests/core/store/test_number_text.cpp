#include <gtest/gtest.h>

#include "core/battery/decimal.h"
#include "core/store/number_text.h"
#include "core/store/setting_value.h"

namespace orvane {
namespace {

TEST(NumberText, ParsesWhatAStoreMayHoldAndFormatsSoItReadsBack) {
    const std::optional<double> none;
    const std::pair<const char*, std::optional<double>> rows[] = {
        // clang-format off
        {"7680", 7680}, {"  -5 ", -5}, {"+3", 3}, {"1.8", 1.8}, {".5", 0.5}, {"1e3", 1000},
        {"", none}, {" ", none}, {"abc", none}, {"12abc", none}, {"inf", none}, {"nan", none},
        {"0x10", none}, {"1,5", none}, {"--1", none}, {"1e999", none},
        // clang-format on
    };
    for (const auto& [text, want] : rows) EXPECT_EQ(parseNumber(text), want) << '"' << text << '"';

    const std::pair<double, const char*> formats[] = {
        {7680, "7680"}, {0, "0"}, {-0.0, "0"}, {-15, "-15"}, {1.25, "1.25"}};
    for (const auto& [v, text] : formats) EXPECT_EQ(formatNumber(v), text);
    for (double v : {0.1, 1.0 / 3, 1234.5678, -7.125, 12.000001})
        EXPECT_EQ(parseNumber(formatNumber(v)), v) << formatNumber(v);
}

TEST(SettingValue, ConvertsEachKindAsTheReadersExpect) {
    // Absent and texts that are no number read as 0; 16-bit readings neither wrap nor overflow.
    const auto text = &SettingValue::text;
    const auto number = &SettingValue::number;
    const std::tuple<SettingValue, double, const char*, std::int16_t> rows[] = {
        // clang-format off
        {SettingValue(), 0, "", 0}, {text("-1"), -1, "-1", -1}, {text("0"), 0, "0", 0},
        {text("abc"), 0, "abc", 0}, {text(""), 0, "", 0}, {number(1), 1, "1", 1},
        {number(-7), -7, "-7", -7}, {text("40000"), 40000, "40000", 32767},
        {text("-40000"), -40000, "-40000", -32768}, {text("2.5"), 2.5, "2.5", 2},
        {text("3.5"), 3.5, "3.5", 4},
        // clang-format on
    };
    for (const auto& [v, n, t, int16] : rows) {
        EXPECT_EQ(std::make_tuple(v.toNumber(), v.toText(), v.toBool(), v.toInt16()),
                  std::make_tuple(n, std::string(t), n != 0, int16))
            << t;
    }
    EXPECT_EQ(text("").kind(), SettingValue::Kind::Text);
}

// Their rounding and precision are the estimate's and learning's cases.
TEST(Decimal, KeepsEveryDigitThroughText) {
    for (const char* text : {"2.5", "0", "20000", "0.000012"})
        EXPECT_EQ(formatDecimal(parseDecimal(text).value()), text);
    EXPECT_FALSE(parseDecimal("abc") || parseDecimal(""));
}

}  // namespace
}  // namespace orvane
