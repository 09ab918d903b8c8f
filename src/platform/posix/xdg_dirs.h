#pragma once

#include <string>
#include <vector>

namespace orvane {

// The XDG base directories for configuration. Relative entries are invalid and skipped, and
// no result ends in a slash.
// $XDG_CONFIG_HOME, else ~/.config.
std::string xdgConfigHome();
// $XDG_CONFIG_DIRS in order of importance, else /etc/xdg.
std::vector<std::string> xdgConfigDirs();

}  // namespace orvane
