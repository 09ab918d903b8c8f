#include <gtest/gtest.h>

#include "battery/decimal.h"
#include "shell/number_text.h"
#include "shell/setting_value.h"

namespace orvane {
namespace {

TEST(NumberText, ParsesWhatAStoreMayHold) {
    struct Row {
        const char* text;
        std::optional<double> want;
    };
    const Row rows[] = {
        {"7680", 7680},   {"  -5 ", -5},     {"+3", 3},        {"1.8", 1.8},     {".5", 0.5},
        {"1e3", 1000},    {"", std::nullopt}, {" ", std::nullopt}, {"abc", std::nullopt},
        {"12abc", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x10", std::nullopt},
        {"1,5", std::nullopt},   {"--1", std::nullopt}, {"1e999", std::nullopt},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(parseNumber(r.text), r.want) << '"' << r.text << '"';
    }
}

TEST(NumberText, FormatsWholeAndFractionalNumbersSoTheyReadBack) {
    EXPECT_EQ(formatNumber(7680), "7680");
    EXPECT_EQ(formatNumber(0), "0");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(-15), "-15");
    EXPECT_EQ(formatNumber(1.25), "1.25");
    for (double v : {0.1, 1.0 / 3, 1234.5678, -7.125, 12.000001}) {
        EXPECT_EQ(parseNumber(formatNumber(v)), v) << formatNumber(v);
    }
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
    const Decimal third = Decimal(1) / 3;
    const std::string text = formatDecimal(third);
    EXPECT_EQ(text.substr(0, 12), "0.3333333333");
    ASSERT_TRUE(parseDecimal(text));
    EXPECT_EQ(formatDecimal(*parseDecimal(text)), text);

    EXPECT_EQ(formatDecimal(Decimal("2.5")), "2.5");
    EXPECT_EQ(formatDecimal(Decimal(0)), "0");
    EXPECT_EQ(formatDecimal(Decimal("20000")), "20000");
    EXPECT_EQ(formatDecimal(Decimal("0.000012")), "0.000012");
    EXPECT_FALSE(parseDecimal("abc"));
    EXPECT_FALSE(parseDecimal(""));

    EXPECT_EQ(roundHalfEven(Decimal("112.5")), 112);
    EXPECT_EQ(roundHalfEven(Decimal("117.5")), 118);
    EXPECT_EQ(roundHalfEven(Decimal("-2.5")), -2);
    EXPECT_EQ(roundHalfEven(Decimal("7.49")), 7);
}

}  // namespace
}  // namespace orvane
