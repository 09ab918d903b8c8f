#include "platform/posix/xdg_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace orvane {
namespace {

std::string withoutTrailingSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace

std::string xdgConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return withoutTrailingSlash(xdg);
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return withoutTrailingSlash(std::string(home ? home : "") + "/.config");
}

std::vector<std::string> xdgConfigDirs() {
    std::vector<std::string> dirs;
    if (const char* value = std::getenv("XDG_CONFIG_DIRS")) {
        std::string_view rest(value);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view item = rest.substr(0, colon);
            if (!item.empty() && item[0] == '/')
                dirs.push_back(withoutTrailingSlash(std::string(item)));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    if (dirs.empty()) dirs.push_back("/etc/xdg");
    return dirs;
}

}  // namespace orvane
