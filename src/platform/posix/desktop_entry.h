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

// An Exec value's words, its quoting undone; nullopt for a quote never closed. Field codes
// ("%u", "%%") are left as they are: only the caller knows what they stand for.
std::optional<std::vector<std::string>> splitExec(std::string_view exec);

// What an Exec value runs to open one address, as the desktop entry specification ("The Exec
// key") has it: the first %u, %U, %f or %F gives the address (also inside a word, as in
// --url=%u), later ones nothing; %c the entry's Name, %k its file, %i "--icon" and its Icon,
// %% a percent sign; other codes stand for nothing. With no such code the address comes last.
// nullopt when the value is not one to run: a quote never closed, no program, or a program
// that is itself made of field codes (it would run the address, the entry or its name).
std::optional<std::vector<std::string>> execCommand(std::string_view exec,
                                                    const std::string& address,
                                                    const DesktopEntry& entry,
                                                    const std::string& entryFile);

}  // namespace orvane
