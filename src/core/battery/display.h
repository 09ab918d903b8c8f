#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/power_status_source.h"

namespace orvane {

// The three status lines as a window shows them: status, remaining time, power source.
struct StatusTexts {
    std::string status;
    std::string time;
    std::string power;
    friend bool operator==(const StatusTexts& a, const StatusTexts& b) {
        return a.status == b.status && a.time == b.time && a.power == b.power;
    }
};

// The captions beside the three status lines.
inline constexpr std::array<const char*, 3> kStatusPrompts{
    "Status:", "Battery Time:", "Power Source:"};

// Everything one display update shows, decided from one power status reading.
struct DisplayUpdate {
    StatusTexts main;      // the main window's labels
    StatusTexts compact;   // the compact window's short forms
    int bar = 0;           // 0..100
    std::string smallKey;  // status icon key ending in "S"; the large one ends in "L"
    std::string largeKey;
    std::string tip;  // the tray tip, already cut to what the tray can show
};

inline constexpr std::size_t kTipMaxChars = 63;  // 64 bytes with the NUL

// `minutes` is GetBatteryTime's result for this reading (-1 for no figure).
DisplayUpdate ComposeDisplay(const PowerSnapshot& power, std::int16_t minutes);

std::string FormatTwoDigits(int n);
// "H:MM"; hours are neither padded nor limited.
std::string TimeText(int minutes);
// 1 for "AC Power", 0 for "Battery", 255 otherwise.
std::int16_t GetPowerSourceCode(const std::string& powerText);
// The number a status text starts with (blanks skipped), 0 when it starts with none.
int LeadingNumber(const std::string& text);
// Cuts a tip to what the tray shows, without splitting a UTF-8 character.
std::string CutTip(const std::string& tip);

}  // namespace orvane
