#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// How a flag is stored: as the text of the number that means true where the stored values
// were first written (-1, all bits set), or 0.
inline const char* flagText(bool on) {
    return on ? "-1" : "0";
}

// What a read of the settings store gives: absent, text (a string value) or a number (a
// 32-bit value placed by other means).
class SettingValue {
public:
    enum class Kind { Absent, Text, Number };

    SettingValue() = default;
    static SettingValue text(std::string t) { return SettingValue(Kind::Text, std::move(t), 0); }
    static SettingValue number(std::int32_t n) { return SettingValue(Kind::Number, {}, n); }

    Kind kind() const { return kind_; }
    bool isAbsent() const { return kind_ == Kind::Absent; }

    // Absent reads as 0; a text that is not a number reads as 0 as well.
    double toNumber() const;
    // Absent reads as "", a number as its decimal text.
    std::string toText() const;
    // Non-zero is true.
    bool toBool() const { return toNumber() != 0; }
    // The number rounded (halves to even) and held within the 16-bit signed range.
    std::int16_t toInt16() const;

    friend bool operator==(const SettingValue& a, const SettingValue& b) {
        return a.kind_ == b.kind_ && a.text_ == b.text_ && a.number_ == b.number_;
    }

private:
    SettingValue(Kind k, std::string t, std::int32_t n)
        : kind_(k), text_(std::move(t)), number_(n) {}

    Kind kind_ = Kind::Absent;
    std::string text_;
    std::int32_t number_ = 0;
};

// Rounds halves to the even neighbour and holds the result within [lo, hi].
std::int64_t roundHalfEvenClamped(double value, std::int64_t lo, std::int64_t hi);

}  // namespace orvane
