#include "platform/linux/single_instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "store_test_util.h"

using namespace orvane;
using namespace orvane::testutil;

namespace {

TEST(SingleInstanceLock, DefaultPathPrefersTheRuntimeDir) {
    const std::string fallback = "/tmp/orvane-" + std::to_string(::getuid()) + ".lock";
    struct Case {
        const char* runtime;
        std::string expected;
    };
    const Case cases[] = {
        {"/run/user/1000", "/run/user/1000/orvane.lock"},
        {"/run/user/1000/", "/run/user/1000/orvane.lock"},
        {"", fallback},
        {"relative", fallback},
        {nullptr, fallback},
    };
    for (const Case& c : cases) {
        ScopedEnv env("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(SingleInstanceLock::defaultPath(), c.expected);
    }
}

TEST(SingleInstanceLock, OnlyOneHolderUntilItGoes) {
    TempDir dir;
    const std::string path = dir / "orvane.lock";
    auto first = std::make_unique<SingleInstanceLock>(path);
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire()) << "asking again keeps the lock";
    SingleInstanceLock second(path);
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());
    EXPECT_TRUE(exists(path));
}

TEST(SingleInstanceLock, KilledHolderDoesNotBlockTheNextStart) {
    TempDir dir;
    const std::string path = dir / "orvane.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceLock lock(path);
        const char ok = lock.acquire() ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        for (;;) ::pause();
    }
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(got, 'y');
    EXPECT_FALSE(SingleInstanceLock(path).acquire());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(exists(path)) << "the stale file is still there";
    EXPECT_TRUE(SingleInstanceLock(path).acquire());
}

TEST(SingleInstanceLock, PlantedFilesAreNotUsed) {
    TempDir dir;
    // A symlink planted at the lock path is neither followed nor held against us.
    const std::string target = dir / "target";
    ASSERT_EQ(::symlink(target.c_str(), (dir / "link.lock").c_str()), 0);
    EXPECT_TRUE(SingleInstanceLock(dir / "link.lock").acquire());
    EXPECT_FALSE(exists(target));
    // An unusable location does not keep the program from starting.
    EXPECT_TRUE(SingleInstanceLock(dir / "missing/dir/orvane.lock").acquire());
}

}  // namespace
