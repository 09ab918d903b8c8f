#pragma once

#include <array>
#include <string_view>

namespace orvane {

enum class Hive { CurrentUser, LocalMachine };

namespace keys {
inline constexpr std::string_view kProduct = "Software\\Merrowin\\Orvane";
inline constexpr std::string_view kWindow = "Software\\Merrowin\\Orvane\\Window";
inline constexpr std::string_view kSetting = "Software\\Merrowin\\Orvane\\Setting";
inline constexpr std::string_view kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}  // namespace keys

// Every value the program stores.
enum class Setting {
    X,
    Y,
    CompactX,
    CompactY,
    Display,
    AlwaysOnTop,
    FirstUse,
    LowBatt,
    LowBattVal,
    CriticalBatt,
    CriticalBattVal,
    LowBattTime,
    LowBattTimeVal,
    CriticalBattTime,
    CriticalBattTimeVal,
    PowerSourceChange,
    BatteryFullyCharged,
    Data,
    Count,
    StartWithDesktop,
};

struct SettingInfo {
    Setting id;
    Hive hive;
    std::string_view key;
    std::string_view name;
    // The text the first run writes, or empty when the first run leaves the value alone.
    // An absent value always reads as 0 / "" / off.
    std::string_view firstRunText;
};

// clang-format off
inline constexpr std::array<SettingInfo, 20> kSettings{{
    {Setting::X,                   Hive::CurrentUser,  keys::kWindow,  "X",                   ""},
    {Setting::Y,                   Hive::CurrentUser,  keys::kWindow,  "Y",                   ""},
    {Setting::CompactX,            Hive::CurrentUser,  keys::kWindow,  "CompactX",            "7680"},
    {Setting::CompactY,            Hive::CurrentUser,  keys::kWindow,  "CompactY",            "0"},
    {Setting::Display,             Hive::CurrentUser,  keys::kWindow,  "Display",             "0"},
    {Setting::AlwaysOnTop,         Hive::CurrentUser,  keys::kWindow,  "Always On Top",       ""},
    {Setting::FirstUse,            Hive::CurrentUser,  keys::kSetting, "First Use",           "1"},
    {Setting::LowBatt,             Hive::CurrentUser,  keys::kSetting, "LowBatt",             ""},
    {Setting::LowBattVal,          Hive::CurrentUser,  keys::kSetting, "LowBattVal",          ""},
    {Setting::CriticalBatt,        Hive::CurrentUser,  keys::kSetting, "CriticalBatt",        ""},
    {Setting::CriticalBattVal,     Hive::CurrentUser,  keys::kSetting, "CriticalBattVal",     ""},
    {Setting::LowBattTime,         Hive::CurrentUser,  keys::kSetting, "LowBattTime",         ""},
    {Setting::LowBattTimeVal,      Hive::CurrentUser,  keys::kSetting, "LowBattTimeVal",      ""},
    {Setting::CriticalBattTime,    Hive::CurrentUser,  keys::kSetting, "CriticalBattTime",    ""},
    {Setting::CriticalBattTimeVal, Hive::CurrentUser,  keys::kSetting, "CriticalBattTimeVal", ""},
    {Setting::PowerSourceChange,   Hive::CurrentUser,  keys::kSetting, "PowerSourceChange",   ""},
    {Setting::BatteryFullyCharged, Hive::CurrentUser,  keys::kSetting, "BatteryFullyCharged", ""},
    {Setting::Data,                Hive::CurrentUser,  keys::kSetting, "Data",                ""},
    {Setting::Count,               Hive::CurrentUser,  keys::kSetting, "Count",               ""},
    {Setting::StartWithDesktop,    Hive::LocalMachine, keys::kRun,     "Orvane",              ""},
}};
// clang-format on

constexpr const SettingInfo& settingInfo(Setting s) {
    return kSettings[static_cast<std::size_t>(s)];
}

}  // namespace orvane
