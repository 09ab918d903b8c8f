#pragma once

#include <string>

#include "platform/single_instance.h"

namespace orvane {

// One copy per user, enforced by an flock on a lock file. The kernel drops the lock when
// the holder dies, so a lock file left by a crash never blocks the next start.
class SingleInstanceLock : public SingleInstance {
public:
    explicit SingleInstanceLock(std::string path);
    ~SingleInstanceLock() override;
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // $XDG_RUNTIME_DIR/orvane.lock, or /tmp/orvane-<uid>.lock without a runtime folder.
    static std::string defaultPath();

    // False only when another holder has the lock. A lock file that cannot be used at all
    // (unwritable folder, owned by someone else) does not stop the program from running.
    bool acquire() override;

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace orvane
