#include "platform/posix/desktop_entry.h"

#include <filesystem>
#include <fstream>

namespace orvane {
namespace {

constexpr std::size_t kMaxFileSize = 1u << 20;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string unescapeValue(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const std::string_view from = "sntr\\";
            const std::string_view to = " \n\t\r\\";
            const std::size_t k = from.find(s[i + 1]);
            if (k != std::string_view::npos) {
                out += to[k];
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

}  // namespace

std::optional<std::string> DesktopEntry::get(const std::string& key) const {
    const auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

DesktopEntry readDesktopEntry(const std::string& file) {
    DesktopEntry entry;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return entry;
    std::ifstream in(file, std::ios::binary);
    if (!in) return entry;
    entry.found = true;
    std::string line;
    bool inMain = false;
    std::size_t read = 0;
    while (std::getline(in, line) && (read += line.size() + 1) <= kMaxFileSize) {
        const std::string_view t = trim(line);
        if (t.empty() || t[0] == '#') continue;
        if (t[0] == '[') {
            inMain = t == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = t.find('=');
        if (!inMain || eq == std::string_view::npos) continue;
        entry.values.emplace(std::string(trim(t.substr(0, eq))),
                             unescapeValue(trim(t.substr(eq + 1))));
    }
    return entry;
}

std::string escapeDesktopValue(std::string_view s) {
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

std::optional<std::vector<std::string>> splitExec(std::string_view exec) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < exec.size()) {
        while (i < exec.size() && (exec[i] == ' ' || exec[i] == '\t')) ++i;
        if (i >= exec.size()) break;
        std::string word;
        if (exec[i] == '"') {
            // Inside quotes a backslash escapes " ` $ and itself.
            for (++i; i < exec.size() && exec[i] != '"'; ++i) {
                if (exec[i] == '\\' && i + 1 < exec.size() &&
                    std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                    ++i;
                word += exec[i];
            }
            if (i >= exec.size()) return std::nullopt;
            ++i;  // the closing quote
        } else {
            while (i < exec.size() && exec[i] != ' ' && exec[i] != '\t') word += exec[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<std::vector<std::string>> execCommand(std::string_view exec,
                                                    const std::string& address,
                                                    const DesktopEntry& entry,
                                                    const std::string& entryFile) {
    const std::optional<std::vector<std::string>> words = splitExec(exec);
    if (!words || words->empty()) return std::nullopt;
    std::vector<std::string> command;
    bool given = false;
    for (std::size_t w = 0; w < words->size(); ++w) {
        const std::string& word = (*words)[w];
        if (word == "%i") {
            if (w == 0) return std::nullopt;
            if (const auto icon = entry.get("Icon"); icon && !icon->empty()) {
                command.push_back("--icon");
                command.push_back(*icon);
            }
            continue;
        }
        std::string out;
        bool coded = false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 >= word.size()) {
                out += word[i];
                continue;
            }
            const char code = word[++i];
            if (code == '%') {
                out += '%';
                continue;
            }
            coded = true;
            if (std::string_view("fFuU").find(code) != std::string_view::npos) {
                if (!given) out += address;
                given = true;
            } else if (code == 'c') {
                out += entry.get("Name").value_or("");
            } else if (code == 'k') {
                out += entryFile;
            }
        }
        // The program must be named, not made of what a field code stands for.
        if (w == 0 && (coded || out.empty())) return std::nullopt;
        if (coded && out.empty()) continue;
        command.push_back(std::move(out));
    }
    if (!given) command.push_back(address);
    return command;
}

}  // namespace orvane
