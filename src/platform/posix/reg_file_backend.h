#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/posix/reg_document.h"
#include "platform/settings_backend.h"

namespace orvane {

// The per-user hive (HKEY_CURRENT_USER), kept as a registry editor export file so a user can
// read and edit it by hand and it can be imported into a real registry. A read takes the file
// as it is now: what was read last serves again only while the file is provably the same one,
// unchanged (see FileStamp). Every change is a locked read-modify-write of the file as it is,
// committed with an atomic rename.
class RegFileBackend : public SettingsBackend {
public:
    // `nowSeconds`: the wall clock, in the seconds file times are given in.
    explicit RegFileBackend(std::string path,
                            std::function<std::int64_t()> nowSeconds = wallClockSeconds);

    // $XDG_CONFIG_HOME/Merrowin/Orvane.reg, falling back to ~/.config.
    static std::string defaultPath();

    bool createKey(const std::string& keyPath) override;
    bool keyExists(const std::string& keyPath) override;
    bool commit(const std::vector<ValueWrite>& writes) override;
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override;
    std::optional<RegValue> queryValue(const std::string& keyPath,
                                       const std::string& name) override;
    std::string location() const override { return path_; }
    std::string problem() const override;

    static std::int64_t wallClockSeconds();

private:
    // What tells one state of the file from another without reading it.
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
    };
    static FileStamp stampOf(const struct stat& st);
    static bool sameStamp(const FileStamp& a, const FileStamp& b);
    // The file's document; nullptr when it cannot be read.
    const RegDocument* read();

    std::string path_;
    std::function<std::int64_t()> nowSeconds_;
    std::optional<RegDocument> lastRead_;
    FileStamp lastStamp_;
    bool reusable_ = false;
};

// Replaces `path` with `content` so that a crash at any moment leaves the old or the new
// file: a temporary file beside it, fsync, then rename over the old one. The folder must
// exist. False when any step failed (the old file is then untouched).
bool writeFileAtomically(const std::string& path, const std::string& content, mode_t mode);

}  // namespace orvane
