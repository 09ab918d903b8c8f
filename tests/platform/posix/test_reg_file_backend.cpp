// The settings store over its real .reg file: the text format, the read rules, and what other
// writers (the user, a second instance, a killed writer) may do to the file.
#include "platform/posix/reg_file_backend.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#include "core/store/settings_store.h"
#include "platform/posix/autostart_backend.h"
#include "platform/settings_backend_contract.h"
#include "support/test_support.h"

namespace orvane::test {
namespace {

namespace fs = std::filesystem;
const std::string kKey(keys::kWindow);
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[HKEY_CURRENT_USER\\" + kKey + "]\n";

// A string value's bytes, its NUL included.
std::string nul(const std::string& text) {
    return text + '\0';
}

// The store over real files in a fresh folder, and what other programs may do to them: the
// backends of the contract every backend keeps.
struct Files : BackendsUnderTest {
    TempDir dir;
    std::string path = dir / "Merrowin/Orvane.reg";
    RegFileBackend file{path};
    AutostartBackend autostart{dir / "autostart", {dir / "xdg/autostart"}};

    SettingsBackend& user() override { return file; }
    SettingsBackend& machine() override { return autostart; }
    void plantUserValue(const std::string& k, const std::string& n, const RegValue& v) override {
        ASSERT_TRUE(file.setValue(k, n, v));
    }
    // An administrator's entry for every user.
    void plantMachineValue(const std::string&, const std::string&, const RegValue& v) override {
        fs::create_directories(dir / "xdg/autostart");
        writeText(dir / "xdg/autostart/orvane.desktop",
                  "[Desktop Entry]\nExec=" + std::string(v.data.begin(), v.data.end() - 1));
    }
    // As a hand edit or an import of a .reg file would.
    void deleteUserKey(const std::string& key) override {
        writeText(path, readText(path) + "\n[-HKEY_CURRENT_USER\\" + key + "]\n");
    }
};

INSTANTIATE_TEST_SUITE_P(RegFile, SettingsBackendContract, testing::Values(&makeBackends<Files>));

// The store's rules are the contract's; here, where they land: the values in a private file,
// beside the keys of other programs, and the start-up entry in a file of its own. Private
// whatever the umask, the file's mode made wider by hand, or a writer that died left behind.
TEST(RegFile, ValuesLandInAPrivateFileAndTheStartupEntryInItsOwn) {
    Files f;
    SettingsStore store(f.file, f.autostart);
    EXPECT_FALSE(store.save(Setting::CompactX, "7680")) << "keys do not exist yet";
    EXPECT_FALSE(exists(f.path));
    EXPECT_EQ(f.file.problem(), "") << "none yet is no problem";
    store.EnsureKeys();
    EXPECT_EQ(modeOf(f.dir / "Merrowin"), 0700u);
    const std::string foreign = "[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=\"1\"\n";
    writeText(f.path, readText(f.path) + "\n" + foreign);
    ::chmod(f.path.c_str(), 0666);
    ::unlink((f.path + ".lock").c_str());
    writeText(f.path + ".tmp-AbC123", "leftover of a writer that died");
    const mode_t umask = ::umask(0);
    const bool saved = store.save(Setting::CompactX, "7680") &&
                       store.save(Setting::AlwaysOnTop, "1") &&
                       store.save(Setting::StartWithDesktop, "/usr/bin/orvane");
    ::umask(umask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(modeOf(f.path), 0600u);
    EXPECT_EQ(modeOf(f.path + ".lock") & 077, 0u);
    EXPECT_FALSE(exists(f.path + ".tmp-AbC123"));
    EXPECT_EQ(store.machineLocation(), f.dir / "autostart/orvane.desktop");
    EXPECT_TRUE(exists(store.machineLocation()));
    // What the backend writes is the document's text (its own tests check the grammar).
    const std::string text = readText(f.path);
    EXPECT_NE(text.find(kSection + "\"CompactX\"=\"7680\"\n\"Always On Top\"=\"1\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(foreign), std::string::npos) << text;
    EXPECT_EQ(text.find("/usr/bin/orvane"), std::string::npos) << text;
}

// Writes `text` into the file in place once the file system's clock has ticked since the last
// change of `scratch`, so that the change gets times of its own.
void writeOnNextTick(const std::string& path, const std::string& text, const std::string& scratch) {
    const auto touched = [&] {
        writeText(scratch, "x");
        return fs::last_write_time(scratch);
    };
    for (const auto first = touched(); touched() == first;) {
    }
    writeText(path, text);
}

TEST(RegFile, ReadsNeverServeAnOldStateOfTheFile) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg", other = dir / "other";
    const auto file = [](const char* x) { return kHeader + kSection + "\"X\"=\"" + x + "\"\n"; };
    // Edited just after a read, as by hand or by a second instance.
    RegFileBackend b(path);
    ASSERT_TRUE(b.createKey(kKey) && b.setValue(kKey, "X", sz("1")));
    EXPECT_EQ(textOf(b.queryValue(kKey, "X")), nul("1"));
    writeText(path, file("2"));
    EXPECT_EQ(textOf(b.queryValue(kKey, "X")), nul("2"));
    writeText(path, file("7"));  // the same size, most likely within the same tick
    EXPECT_EQ(textOf(b.queryValue(kKey, "X")), nul("7"));

    // With the file's times long past (the clock says so), what was read serves again only
    // while nothing about the file has changed.
    RegFileBackend later(path, [] { return RegFileBackend::wallClockSeconds() + 60; });
    const auto x = [&] { return textOf(later.queryValue(kKey, "X")); };
    EXPECT_EQ(x(), nul("7"));
    ASSERT_TRUE(later.setValue(kKey, "X", sz("3")));
    EXPECT_EQ(x(), nul("3"));
    writeOnNextTick(path, file("4"), other);
    EXPECT_EQ(x(), nul("4"));
    // In place, the same size, the same modification time; then another file of that size and
    // those times in its place. Its change time cannot be set: the swap is made again until it
    // falls in the tick of the one read, where only the file's identity tells them apart.
    const auto modified = fs::last_write_time(path);
    writeOnNextTick(path, file("5"), other);
    fs::last_write_time(path, modified);
    EXPECT_EQ(x(), nul("5"));
    const auto changed = [&path] {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return std::pair(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
    };
    for (const char* v : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m"}) {
        const auto read = changed();
        writeText(other, file(v));
        fs::last_write_time(other, modified);
        fs::rename(other, path);
        const bool sameTick = changed() == read;
        EXPECT_EQ(x(), nul(v));
        if (sameTick) break;
    }
    fs::remove(path);
    EXPECT_EQ(x(), "<absent>");
    EXPECT_FALSE(later.keyExists(kKey));
}

// What can stand where the file should be: each is named for the user, read without blocking
// (a FIFO held start-up in open() for good), and never written over.
TEST(RegFile, UnreadableStoresAreNamedAndLeftAlone) {
    TempDir dir;
    fs::create_directory(dir / "isdir.reg");
    writeText(dir / "plainfile", "x");
    ASSERT_EQ(::mkfifo((dir / "fifo.reg").c_str(), 0600), 0);
    fs::create_symlink("fifo.reg", dir / "tofifo.reg");
    fs::create_symlink("loop2.reg", dir / "loop1.reg");
    fs::create_symlink("loop1.reg", dir / "loop2.reg");
    // As root, a store that wrote over what it could not read would replace the machine's own
    // /dev/null: a null device of the test's own stands in for it.
    std::string device = "/dev/null";
    if (::geteuid() == 0 && ::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        device = dir / "null";
    fs::create_symlink(device, dir / "device.reg");
    writeText(dir / "huge.reg", "");
    fs::resize_file(dir / "huge.reg", (16 << 20) + 1);
    const std::string notAFile = "it is not a file but a device, a pipe or a socket";
    const std::string plain = dir / "plainfile is a file, not a folder";
    const std::pair<std::string, std::string> rows[] = {
        // clang-format off
        {dir / "isdir.reg", "it is a folder"}, {dir / "huge.reg", "it is larger than 16 MiB"},
        {dir / "plainfile/Orvane.reg", plain}, {dir / "plainfile/Merrowin/Orvane.reg", plain},
        {dir / "fifo.reg", notAFile}, {dir / "tofifo.reg", notAFile},
        {dir / "device.reg", notAFile},
        {dir / "loop1.reg", "it is a symbolic link that leads round in a loop"},
        // clang-format on
    };
    ::alarm(20);  // a read that blocks ends the test here, not at the suite's timeout
    for (const auto& [path, problem] : rows) {
        SCOPED_TRACE(path);
        RegFileBackend broken(path);
        EXPECT_EQ(broken.problem(), problem);
        EXPECT_FALSE(broken.queryValue(kKey, "X") || broken.createKey(kKey) ||
                     broken.setValue(kKey, "X", sz("1")));
    }
    ::alarm(0);
    EXPECT_TRUE(fs::is_symlink(dir / "tofifo.reg"));
    EXPECT_EQ(fs::file_size(dir / "huge.reg"), (16u << 20) + 1);

    // No problem: none yet behind a link (kept in another folder, made there on the first
    // write, the link staying a link).
    fs::create_symlink("elsewhere/real.reg", dir / "linked.reg");
    RegFileBackend linked(dir / "linked.reg");
    EXPECT_EQ(linked.problem(), "");
    ASSERT_TRUE(linked.createKey(kKey) && linked.setValue(kKey, "X", sz("1")));
    EXPECT_EQ(textOf(linked.queryValue(kKey, "X")), nul("1"));
    EXPECT_EQ(linked.problem(), "");
    EXPECT_TRUE(fs::is_symlink(dir / "linked.reg"));
    EXPECT_NE(readText(dir / "elsewhere/real.reg").find("\"X\"=\"1\""), std::string::npos);
}

// Two writers at once lose no update, whatever stands where the lock file goes: nothing yet,
// one this user cannot write (root's, 0644, after one run under sudo), or a symlink planted
// there, which is never followed. Root may write anything, so the writers run as an ordinary
// uid; a user that is not root gets a read-only lock file of its own.
TEST(RegFile, ConcurrentWritersLoseNoUpdateWhateverTheLockFile) {
    constexpr uid_t kNobody = 65534;
    constexpr int kRounds = 40;
    const bool asRoot = ::geteuid() == 0;
    const auto name = [](int writer, int i) {
        return std::to_string(writer) + "-" + std::to_string(i);
    };
    for (const std::string lockFile : {"none", "foreign", "planted"}) {
        SCOPED_TRACE(lockFile);
        TempDir dir;
        const std::string path = dir / "Orvane.reg", lock = path + ".lock", bait = dir / "bait";
        ASSERT_TRUE(RegFileBackend(path).createKey(kKey));
        fs::remove(lock);
        if (lockFile == "planted") fs::create_symlink(bait, lock);
        if (lockFile == "foreign") {
            writeText(lock, "");
            ::chmod(lock.c_str(), asRoot ? 0644 : 0444);
        }
        if (asRoot) {
            ASSERT_EQ(::chown(dir.path().c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        }
        pid_t writers[2];
        for (int w = 0; w < 2; ++w) {
            ASSERT_GE(writers[w] = ::fork(), 0);
            if (writers[w] > 0) continue;
            if (asRoot &&
                (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                 ::setresuid(kNobody, kNobody, kNobody) != 0))
                ::_exit(3);
            if (::access(dir.path().c_str(), W_OK | X_OK) != 0) ::_exit(3);  // TMPDIR closed to it
            RegFileBackend b(path);
            bool ok = b.commit({{kKey, name(w, -1), sz("0")}, {kKey, name(w, -2), sz("0")}});
            for (int i = 0; i < kRounds; ++i) ok = b.setValue(kKey, name(w, i), sz("1")) && ok;
            ::_exit(ok ? 0 : 1);
        }
        for (const pid_t writer : writers) {
            int status = 0;
            ::waitpid(writer, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot run as an ordinary user here";
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        RegFileBackend b(path);
        for (int w = 0; w < 2; ++w)
            for (int i = -2; i < kRounds; ++i)
                EXPECT_TRUE(b.queryValue(kKey, name(w, i))) << name(w, i);
        EXPECT_FALSE(exists(bait)) << "the planted symlink was followed";
    }
}

// A writer killed at random moments over some hundreds of commits: after each kill the file
// parses and holds one commit whole, the last finished one or the one under way, and the
// values no commit touches are still there.
TEST(RegFile, KilledWriterLeavesTheOldOrTheNewCommitWhole) {
    using namespace std::chrono;
    TempDir dir;
    const std::string path = dir / "Orvane.reg", key(keys::kSetting);
    RegFileBackend b(path);
    ASSERT_TRUE(b.createKey(key) && b.setValue(key, "First Use", sz("1")));
    // Commit n writes n into "Count", "Data" and a payload whose size varies with n, together.
    const auto commit = [&key](long n) {
        return std::vector<ValueWrite>{
            {key, "Data", sz(std::to_string(n) + ".5")},
            {key, "Count", sz(std::to_string(n))},
            {key, "Payload", sz(std::string(100 + n % 7 * 900, static_cast<char>('a' + n % 26)))}};
    };
    // Shared with the writer: the commit it has begun and the last it has finished.
    struct Progress {
        std::atomic<long> begun{0}, finished{0};
    };
    void* shared = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    Progress& progress = *new (shared) Progress;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Kills land anywhere within a commit or two: how long one takes here (a sanitizer build, a
    // busy machine, a slow disk) sets the range. The file then holds commit 0, the "old"
    // commit of the first kill.
    const auto started = steady_clock::now();
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(b.commit(commit(0)));
    std::uniform_int_distribution<long long> killAfter(
        0, 2 + duration_cast<microseconds>(steady_clock::now() - started).count() / 5);
    int kills = 0;
    // Bounded by time as well: a machine this slow still proves the point with what it managed.
    for (const auto end = steady_clock::now() + seconds(120);
         (kills < 200 || progress.finished < 400) && steady_clock::now() < end; ++kills) {
        const long finished = progress.finished;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegFileBackend w(path);
            for (long n = finished + 1;; ++n) {
                progress.begun = n;
                if (!w.commit(commit(n))) ::_exit(1);
                progress.finished = n;
            }
        }
        // Each writer finishes one commit first, so the run ends however slow a commit is.
        const auto deadline = steady_clock::now() + seconds(20);
        while (progress.finished == finished && steady_clock::now() < deadline) ::usleep(50);
        ASSERT_GT(progress.finished, finished) << "the writer finished no commit in 20 s";
        ::usleep(static_cast<useconds_t>(killAfter(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own";
        const std::string text = readText(path);
        ASSERT_TRUE(text.rfind(kHeader, 0) == 0 && text.back() == '\n') << text;
        ASSERT_EQ(textOf(b.queryValue(key, "First Use")), nul("1"));
        const long n = std::stol(textOf(b.queryValue(key, "Count")));
        ASSERT_TRUE(n >= progress.finished && n <= progress.begun) << n;
        for (const ValueWrite& w : commit(n))
            ASSERT_EQ(b.queryValue(key, w.name)->data, w.value.data) << w.name;
    }
    EXPECT_GE(kills, 20);
    ::munmap(shared, sizeof(Progress));
}

}  // namespace
}  // namespace orvane::test
