#include "platform/linux/autostart_backend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/linux/reg_file_backend.h"
#include "platform/linux/xdg_dirs.h"

namespace orvane {
namespace {

constexpr std::string_view kRunKey = "software\\microsoft\\windows\\currentversion\\run";
constexpr std::string_view kValueName = "orvane";
constexpr std::string_view kFileName = "orvane.desktop";
constexpr std::size_t kMaxFileSize = 1u << 20;

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

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Undoes the escapes every desktop entry string value may carry.
std::string unescapeValue(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            switch (s[i + 1]) {
                case 's':
                    out += ' ';
                    ++i;
                    continue;
                case 'n':
                    out += '\n';
                    ++i;
                    continue;
                case 't':
                    out += '\t';
                    ++i;
                    continue;
                case 'r':
                    out += '\r';
                    ++i;
                    continue;
                case '\\':
                    out += '\\';
                    ++i;
                    continue;
                default:
                    break;
            }
        }
        out += s[i];
    }
    return out;
}

std::string escapeValue(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

struct Entry {
    bool found = false;
    bool hidden = false;
    std::optional<std::string> exec;
};

Entry readEntry(const std::string& file) {
    Entry entry;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return entry;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return entry;
    }
    std::string content;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || content.size() > kMaxFileSize) break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    entry.found = true;

    bool inMain = false;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string_view line = trim(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inMain || eq == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "Hidden") {
            entry.hidden = value == "true";
        } else if (key == "Exec" && !entry.exec) {
            entry.exec = unescapeValue(value);
        }
    }
    return entry;
}

RegValue stringValue(const std::string& text) {
    RegValue v;
    v.type = static_cast<std::uint32_t>(RegType::String);
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
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

std::string AutostartBackend::defaultUserDir() { return xdgConfigHome() + "/autostart"; }

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
    Entry entry = readEntry(location());
    for (std::size_t i = 0; !entry.found && i < systemDirs_.size(); ++i)
        entry = readEntry(systemDirs_[i] + "/" + std::string(kFileName));
    if (!entry.found) return std::nullopt;
    if (entry.hidden || !entry.exec) return stringValue("");
    return stringValue(programOf(*entry.exec));
}

bool AutostartBackend::setValue(const std::string& keyPath, const std::string& name,
                                const RegValue& value) {
    if (!isOurValue(keyPath, name) || value.type != static_cast<std::uint32_t>(RegType::String))
        return false;
    // The text ends at the first NUL, as a registry string does.
    std::string path(value.data.begin(), value.data.end());
    path.resize(std::string_view(path.c_str()).size());

    std::string content =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Orvane\n"
        "Comment=Battery monitor\n";
    if (!path.empty()) content += "Exec=" + escapeValue(execLine(path)) + "\n";
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
    std::string_view s = trim(exec);
    std::string raw;
    if (!s.empty() && s[0] == '"') {
        for (std::size_t i = 1; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"') break;
            if (c == '\\' && i + 1 < s.size() &&
                std::string_view("\"`$\\").find(s[i + 1]) != std::string_view::npos) {
                raw += s[++i];
                continue;
            }
            raw += c;
        }
    } else {
        raw = std::string(s.substr(0, s.find_first_of(" \t")));
    }
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        out += raw[i];
        if (raw[i] == '%' && i + 1 < raw.size() && raw[i + 1] == '%') ++i;
    }
    return out;
}

}  // namespace orvane
