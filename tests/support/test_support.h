#pragma once

// What the tests of the store and the power sources need: a scratch folder, whole-file reads
// and writes, power_supply trees, and the registry's form of a string value.
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/settings_backend.h"

namespace orvane::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// (read-only parts too) afterwards.
class TempDir {
public:
    TempDir() {
        namespace fs = std::filesystem;
        std::random_device random;
        do {
            path_ =
                (fs::temp_directory_path() / ("orvane-test-" + std::to_string(random()))).string();
        } while (!fs::create_directory(path_));
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readText(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

inline void writeText(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// True for anything at the path, a dangling symlink included.
inline bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// The permission bits, 0 when there is nothing there.
inline unsigned modeOf(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(path, ec);
    return std::filesystem::exists(st) ? static_cast<unsigned>(st.permissions()) & 07777 : 0;
}

// The attribute files of one power_supply device, as the kernel shows them.
inline void writePowerSupply(const std::string& root, const std::string& device,
                             const std::map<std::string, std::string>& attrs) {
    std::filesystem::create_directories(root + "/" + device);
    for (const auto& [name, value] : attrs)
        writeText(root + "/" + device + "/" + name, value + "\n");
}

// "Name=value ..." as its names and values, in order.
inline std::vector<std::pair<std::string, std::string>> pairsOf(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    std::istringstream in(text);
    for (std::string p; in >> p;)
        out.emplace_back(p.substr(0, p.find('=')), p.substr(p.find('=') + 1));
    return out;
}

// A value's bytes as text, or "<absent>".
inline std::string textOf(const std::optional<RegValue>& v) {
    return v ? std::string(v->data.begin(), v->data.end()) : "<absent>";
}

// A string value with its terminating NUL, as the store writes it.
inline RegValue sz(const std::string& text) {
    RegValue v{static_cast<std::uint32_t>(RegType::String), {text.begin(), text.end()}};
    v.data.push_back(0);
    return v;
}

}  // namespace orvane::test
