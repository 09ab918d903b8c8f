#include "platform/posix/reg_file_backend.h"

#include "platform/posix/reg_document.h"
#include "platform/posix/xdg_dirs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {
namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER";
constexpr std::string_view kTempInfix = ".tmp-";
// A settings file is a few kilobytes; anything this big is not ours and is left alone.
constexpr std::size_t kMaxFileSize = 16u << 20;

// The file holds one hive; callers name keys below it.
std::string hivePath(const std::string& keyPath) {
    return std::string(kHive) + "\\" + keyPath;
}

// ---- files --------------------------------------------------------------------------

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

enum class ReadResult { Ok, Missing, Failed };

ReadResult readFile(const std::string& path, std::string& out, struct stat* seen = nullptr) {
    out.clear();
    // Not blocking: a FIFO planted there would hold the program in open() for good.
    Fd f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxFileSize)
        return ReadResult::Failed;
    if (seen) *seen = st;
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadResult::Failed;
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > kMaxFileSize) return ReadResult::Failed;
    }
    return ReadResult::Ok;
}

// A missing file is an empty document; `seen`, when given, is what the file was when read
// (left as it is for a missing one).
std::optional<RegDocument> load(const std::string& path, struct stat* seen = nullptr) {
    std::string bytes;
    switch (readFile(path, bytes, seen)) {
        case ReadResult::Missing:
            return RegDocument{};
        case ReadResult::Failed:
            return std::nullopt;
        case ReadResult::Ok:
            break;
    }
    return RegDocument::parse(std::move(bytes));
}

std::string dirOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool makeDirs(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        const std::string part = dir.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) == 0) {
            ::chmod(part.c_str(), 0700);  // whatever the umask took away
        } else if (errno != EEXIST) {
            return false;
        }
    }
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A settings file kept elsewhere through a symlink is updated where it really lives, and
// made there when the link points at a file not made yet: the link itself stays.
std::string resolveLink(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), buf, sizeof buf - 1);
        if (n <= 0) return target;
        const std::string link(buf, static_cast<std::size_t>(n));
        target = link.front() == '/' ? link : dirOf(target) + "/" + link;
    }
    return target;  // a loop: reading it fails, and nothing is written
}

// Only a writer holding the lock creates temporary files, so one found while holding it
// was left by a writer that died.
void removeLeftoverTemps(const std::string& path) {
    const std::string dir = dirOf(path);
    const std::size_t slash = path.rfind('/');
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + std::string(kTempInfix);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* ent = ::readdir(d)) {
        const std::string_view n(ent->d_name);
        if (n.size() == prefix.size() + 6 && n.compare(0, prefix.size(), prefix) == 0)
            ::unlinkat(::dirfd(d), ent->d_name, 0);
    }
    ::closedir(d);
}

// Writers take turns through an advisory lock on a file beside the store (not on the store:
// the rename replaces it). flock needs no write access, so a lock file left by a run as
// another user (sudo) or made read-only still serves, opened for reading. A symlink planted
// there is never followed; for that or anything else odd, the folder itself is locked.
int openLock(const std::string& path) {
    const std::string lockPath = path + ".lock";
    constexpr int kFlags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    // Read-write where possible: NFS grants an exclusive flock only to a writable file.
    int fd = ::open(lockPath.c_str(), O_RDWR | kFlags, 0600);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        fd = ::open(lockPath.c_str(), O_RDONLY | kFlags, 0600);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) fd = ::open(dirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd;
}

enum class Change { None, Changed, Failed };

template <class Edit>
bool update(const std::string& path, Edit edit) {
    if (!makeDirs(dirOf(path)) || !makeDirs(dirOf(resolveLink(path)))) return false;
    Fd lock(openLock(path));
    bool locked = false;
    if (lock.fd >= 0) {
        while (!(locked = ::flock(lock.fd, LOCK_EX) == 0) && errno == EINTR) {
        }
    }
    // Without a lock (a file system that has none) the write still goes ahead: the rename
    // keeps the file whole, and losing every save would be worse than a rare race.

    const std::string target = resolveLink(path);
    if (locked) removeLeftoverTemps(target);
    std::optional<RegDocument> doc = load(target);
    if (!doc) return false;  // never overwrite what could not be read
    switch (edit(*doc)) {
        case Change::None:
            return true;
        case Change::Failed:
            return false;
        case Change::Changed:
            break;
    }
    return writeFileAtomically(target, doc->render(), 0600);
}

bool writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& content, mode_t mode) {
    std::string tmpl = path + std::string(kTempInfix) + "XXXXXX";
    Fd f(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (f.fd < 0) return false;
    bool ok = ::fchmod(f.fd, mode) == 0 && writeAll(f.fd, content) && ::fsync(f.fd) == 0;
    ok = ::close(f.fd) == 0 && ok;
    f.fd = -1;
    if (ok) ok = ::rename(tmpl.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmpl.c_str());
    // No fsync of the folder: a rename lost to a power cut leaves the old file, which is
    // whole, and a folder sync would double what every write costs.
    return ok;
}

RegFileBackend::RegFileBackend(std::string path, std::function<std::int64_t()> nowSeconds)
    : path_(std::move(path)), nowSeconds_(std::move(nowSeconds)) {}

std::int64_t RegFileBackend::wallClockSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}

RegFileBackend::FileStamp RegFileBackend::stampOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool RegFileBackend::sameStamp(const FileStamp& a, const FileStamp& b) {
    auto same = [](const timespec& x, const timespec& y) {
        return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
    };
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           same(a.modified, b.modified) && same(a.changed, b.changed);
}

// File times are as coarse as the kernel's clock tick (seconds on some file systems), so a
// change made just after a read can leave every time as it was. A copy is kept only when its
// file was last changed well before the read: any later change then shows in the times.
const RegDocument* RegFileBackend::read() {
    constexpr std::int64_t kCoarsestFileTimeSeconds = 3;
    struct stat st {};
    if (reusable_ && ::stat(path_.c_str(), &st) == 0 && sameStamp(stampOf(st), lastStamp_))
        return &*lastRead_;
    const std::int64_t readAt = nowSeconds_();
    st = {};
    lastRead_ = load(path_, &st);
    lastStamp_ = stampOf(st);
    // A missing file (no inode seen) is looked for again at the next read.
    reusable_ =
        lastRead_ && st.st_ino != 0 &&
        std::max<std::int64_t>(st.st_mtim.tv_sec, st.st_ctim.tv_sec) + kCoarsestFileTimeSeconds <=
            readAt;
    return lastRead_ ? &*lastRead_ : nullptr;
}

std::string RegFileBackend::problem() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        switch (errno) {
            case ENOENT: {
                // Not made yet, which is fine where it can be made.
                const std::string target = resolveLink(path_);
                for (std::string dir = dirOf(target); dir != "/" && dir != "."; dir = dirOf(dir)) {
                    if (::stat(dir.c_str(), &st) == 0)
                        return S_ISDIR(st.st_mode) ? std::string()
                                                   : dir + " is a file, not a folder";
                }
                return {};
            }
            case ENOTDIR:
                for (std::string dir = dirOf(path_); dir != "/" && dir != "."; dir = dirOf(dir)) {
                    if (::stat(dir.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                        return dir + " is a file, not a folder";
                }
                return "a part of its path is not a folder";
            case ELOOP:
                return "it is a symbolic link that leads round in a loop";
            case EACCES:
                return "it may not be read (permission denied)";
            default:
                return std::strerror(errno);
        }
    }
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    if (!S_ISREG(st.st_mode)) return "it is not a file but a device, a pipe or a socket";
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) return "it is larger than 16 MiB";
    Fd f(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0)
        return errno == EACCES ? "it may not be read (permission denied)" : std::strerror(errno);
    return {};
}

std::string RegFileBackend::defaultPath() {
    return xdgConfigHome() + "/Merrowin/Orvane.reg";
}

bool RegFileBackend::createKey(const std::string& keyPath) {
    if (hasLineBreak(keyPath)) return false;
    if (keyExists(keyPath)) return true;  // also works where the file cannot be written
    return update(path_, [&](RegDocument& doc) {
        return doc.createKey(hivePath(keyPath)) ? Change::Changed : Change::None;
    });
}

bool RegFileBackend::keyExists(const std::string& keyPath) {
    const RegDocument* doc = read();
    return doc && doc->keyExists(hivePath(keyPath));
}

bool RegFileBackend::setValue(const std::string& keyPath, const std::string& name,
                              const RegValue& value) {
    return commit({{keyPath, name, value}});
}

bool RegFileBackend::commit(const std::vector<ValueWrite>& writes) {
    for (const ValueWrite& w : writes)
        if (hasLineBreak(w.name)) return false;
    return update(path_, [&](RegDocument& doc) {
        Change change = Change::None;
        for (const ValueWrite& w : writes) {
            switch (doc.setValues(hivePath(w.keyPath), {{w.name, w.value}})) {
                case RegDocument::Edit::Unchanged:
                    break;
                case RegDocument::Edit::Changed:
                    change = Change::Changed;
                    break;
                case RegDocument::Edit::NoKey:
                    return Change::Failed;  // the whole commit goes unwritten
            }
        }
        return change;
    });
}

std::optional<RegValue> RegFileBackend::queryValue(const std::string& keyPath,
                                                   const std::string& name) {
    const RegDocument* doc = read();
    if (!doc) return std::nullopt;
    return doc->value(hivePath(keyPath), name);
}

}  // namespace orvane
