#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The [Desktop Entry] group of a .desktop file, with the string escapes (\s \n \t \r \\)
// undone; the first of a repeated key counts.
struct DesktopEntry {
    bool found = false;
    std::map<std::string, std::string> values;

    std::optional<std::string> get(const std::string& key) const;
};

DesktopEntry readDesktopEntry(const std::string& file);

// The string escapes a value needs to stand in a .desktop file.
std::string escapeDesktopValue(std::string_view value);

// An Exec value's words, its quoting undone. Field codes ("%u", "%%") are left as they are:
// only the caller knows what they stand for.
std::vector<std::string> splitExec(std::string_view exec);

}  // namespace orvane
