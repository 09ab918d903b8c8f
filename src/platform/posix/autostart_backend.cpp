#include "platform/posix/autostart_backend.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/reg_file_backend.h"
#include "platform/posix/xdg_dirs.h"

namespace orvane {
namespace {

constexpr std::string_view kRunKey = "software\\microsoft\\windows\\currentversion\\run";
constexpr std::string_view kValueName = "orvane";
constexpr std::string_view kFileName = "orvane.desktop";

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Registry names ignore case, and stray doubled or outer backslashes.
std::string keyId(std::string_view path) {
    std::string id;
    bool sep = false;
    for (char c : path) {
        if (c == '\\') {
            sep = !id.empty();
            continue;
        }
        if (sep) id += '\\';
        sep = false;
        id += lower(c);
    }
    return id;
}

bool isRunKey(const std::string& keyPath) {
    return keyId(keyPath) == kRunKey;
}

bool isOurValue(const std::string& keyPath, const std::string& name) {
    std::string n;
    for (char c : name) n += lower(c);
    return isRunKey(keyPath) && n == kValueName;
}

RegValue stringValue(const std::string& text) {
    RegValue v;
    v.type = static_cast<std::uint32_t>(RegType::String);
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

// A desktop entry is UTF-8 text; a path that is not cannot be written into one.
bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80           ? 1
                              : (c >> 5) == 0x6  ? 2
                              : (c >> 4) == 0xE  ? 3
                              : (c >> 3) == 0x1E ? 4
                                                 : 0;
        if (n == 0 || i + n > s.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc >> 6) != 0x2) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode's end are no UTF-8.
        static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        i += n;
    }
    return true;
}

bool makeDirs(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        if (::mkdir(dir.substr(0, pos).c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

AutostartBackend::AutostartBackend(std::string userDir, std::vector<std::string> systemDirs)
    : userDir_(std::move(userDir)), systemDirs_(std::move(systemDirs)) {
    while (userDir_.size() > 1 && userDir_.back() == '/') userDir_.pop_back();
}

std::string AutostartBackend::defaultUserDir() {
    return xdgConfigHome() + "/autostart";
}

std::vector<std::string> AutostartBackend::defaultSystemDirs() {
    std::vector<std::string> dirs;
    for (const std::string& dir : xdgConfigDirs()) dirs.push_back(dir + "/autostart");
    return dirs;
}

std::string AutostartBackend::location() const {
    return userDir_ + "/" + std::string(kFileName);
}

bool AutostartBackend::createKey(const std::string& keyPath) {
    return isRunKey(keyPath);
}

bool AutostartBackend::keyExists(const std::string& keyPath) {
    return isRunKey(keyPath);
}

std::optional<RegValue> AutostartBackend::queryValue(const std::string& keyPath,
                                                     const std::string& name) {
    if (!isOurValue(keyPath, name)) return std::nullopt;
    DesktopEntry entry = readDesktopEntry(location());
    for (std::size_t i = 0; !entry.found && i < systemDirs_.size(); ++i)
        entry = readDesktopEntry(systemDirs_[i] + "/" + std::string(kFileName));
    if (!entry.found) return std::nullopt;
    const std::optional<std::string> exec = entry.get("Exec");
    if (entry.get("Hidden") == "true" || !exec) return stringValue("");
    return stringValue(programOf(*exec));
}

bool AutostartBackend::setValue(const std::string& keyPath, const std::string& name,
                                const RegValue& value) {
    if (!isOurValue(keyPath, name) || value.type != static_cast<std::uint32_t>(RegType::String))
        return false;
    // The text ends at the first NUL, as a registry string does.
    std::string path(value.data.begin(), value.data.end());
    path.resize(std::string_view(path.c_str()).size());
    if (!validUtf8(path)) return false;

    std::string content =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Orvane\n"
        "Comment=Battery monitor\n";
    if (!path.empty()) content += "Exec=" + escapeDesktopValue(execLine(path)) + "\n";
    content +=
        "Icon=orvane\n"
        "Terminal=false\n"
        "Categories=Utility;\n";
    // Turned off, the entry stays so that it also masks a same-named entry elsewhere.
    content += path.empty() ? "Hidden=true\n" : "X-GNOME-Autostart-enabled=true\n";

    return makeDirs(userDir_) && writeFileAtomically(location(), content, 0644);
}

std::string AutostartBackend::execLine(const std::string& path) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    // A percent sign is written "%%"; GLib, which most sessions start autostart entries with,
    // takes that literally in the program and refuses the entry, but not in an argument.
    if (path.find('%') != std::string::npos) out += "env ";
    const bool quote = path.find_first_of(kReserved) != std::string::npos;
    if (quote) out += '"';
    for (char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    if (quote) out += '"';
    return out;
}

std::string AutostartBackend::programOf(const std::string& exec) {
    const std::optional<std::vector<std::string>> words = splitExec(exec);
    if (!words || words->empty()) return {};
    std::string out;
    // "env PROGRAM": the program env starts.
    const bool viaEnv =
        words->size() > 1 && (words->front() == "env" || words->front() == "/usr/bin/env");
    const std::string& raw = (*words)[viaEnv ? 1 : 0];
    for (std::size_t i = 0; i < raw.size(); ++i) {
        out += raw[i];
        if (raw[i] == '%' && i + 1 < raw.size() && raw[i + 1] == '%') ++i;
    }
    return out;
}

}  // namespace orvane
