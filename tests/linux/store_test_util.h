#pragma once

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/settings_backend.h"

namespace orvane::testutil {

// A fresh folder under $TMPDIR, removed with everything in it (read-only parts too) afterwards.
class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/orvane-test-XXXXXX";
        if (::mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~TempDir() {
        const auto remove = [](const char* p, const struct stat*, int, FTW*) {
            ::chmod(p, 0700);
            return ::remove(p);
        };
        if (!path_.empty()) ::nftw(path_.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS);
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

inline bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

inline unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// A string value with its terminating NUL, as the store writes it.
inline RegValue sz(const std::string& text) {
    RegValue v{1, {text.begin(), text.end()}};
    v.data.push_back(0);
    return v;
}

}  // namespace orvane::testutil
