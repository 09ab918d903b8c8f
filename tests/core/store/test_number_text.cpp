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
    const SettingValue absent;
    EXPECT_EQ(absent.toNumber(), 0);
    EXPECT_EQ(absent.toText(), "");
    EXPECT_FALSE(absent.toBool());

    EXPECT_EQ(SettingValue::text("-1").toBool(), true);
    EXPECT_EQ(SettingValue::text("0").toBool(), false);
    EXPECT_EQ(SettingValue::text("abc").toNumber(), 0);
    EXPECT_EQ(SettingValue::text("").toNumber(), 0);
    EXPECT_EQ(SettingValue::text("").kind(), SettingValue::Kind::Text);

    EXPECT_EQ(SettingValue::number(1).toNumber(), 1);
    EXPECT_EQ(SettingValue::number(-7).toText(), "-7");
    EXPECT_TRUE(SettingValue::number(2).toBool());

    // 16-bit readings neither wrap nor overflow.
    EXPECT_EQ(SettingValue::text("40000").toInt16(), 32767);
    EXPECT_EQ(SettingValue::text("-40000").toInt16(), -32768);
    EXPECT_EQ(SettingValue::text("2.5").toInt16(), 2);
    EXPECT_EQ(SettingValue::text("3.5").toInt16(), 4);
}

TEST(Decimal, KeepsEveryDigitThroughText) {
    const std::string third = formatDecimal(Decimal(1) / 3);
    EXPECT_EQ(third.substr(0, 12), "0.3333333333");
    ASSERT_TRUE(parseDecimal(third));
    EXPECT_EQ(formatDecimal(*parseDecimal(third)), third);
    for (const char* text : {"2.5", "0", "20000", "0.000012"})
        EXPECT_EQ(formatDecimal(parseDecimal(text).value()), text);
    EXPECT_EQ(formatDecimal(Decimal(0)), "0");
    EXPECT_FALSE(parseDecimal("abc"));
    EXPECT_FALSE(parseDecimal(""));

    const std::pair<const char*, long long> rounded[] = {
        {"112.5", 112}, {"117.5", 118}, {"-2.5", -2}, {"7.49", 7}};
    for (const auto& [text, n] : rounded)
        EXPECT_EQ(roundHalfEven(parseDecimal(text).value()), n) << text;
}

}  // namespace
}  // namespace orvane
