#include "platform/posix/single_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace orvane {

SingleInstanceLock::SingleInstanceLock(std::string path) : path_(std::move(path)) {}

SingleInstanceLock::~SingleInstanceLock() {
    // The file stays: unlinking it could let a third process lock a fresh inode while a
    // second one still waits on the old one.
    if (fd_ >= 0) ::close(fd_);
}

std::string SingleInstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        std::string dir(runtime);
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        return dir + "/orvane.lock";
    }
    return "/tmp/orvane-" + std::to_string(::getuid()) + ".lock";
}

bool SingleInstanceLock::acquire() {
    if (fd_ >= 0) return true;
    // O_NOFOLLOW and the owner check keep a file planted in a shared folder such as /tmp
    // from being used as our lock.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return true;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    fd_ = fd;
    return true;
}

}  // namespace orvane
