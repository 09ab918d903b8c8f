// The settings store over its real .reg file: the text format, the read rules, and what other
// writers (the user, a second instance, a killed writer) may do to the file.
#include "platform/linux/reg_file_backend.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/linux/autostart_backend.h"
#include "shell/settings_store.h"
#include "support/test_support.h"

namespace orvane {

void PrintTo(const SettingValue& v, std::ostream* os) {
    *os << (v.isAbsent() ? "<absent>"
            : v.kind() == SettingValue::Kind::Text ? '"' + v.toText() + '"'
                                                    : "number " + v.toText());
}

namespace {

using namespace orvane::test;
using namespace std::string_literals;

const std::string kKey(keys::kWindow);
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[HKEY_CURRENT_USER\\" + kKey + "]\n";

std::string textOf(const std::optional<RegValue>& v) {
    return v ? std::string(v->data.begin(), v->data.end()) : "<absent>";
}

// The store over real files in a fresh folder.
struct Files {
    TempDir dir;
    std::string path = dir / "Merrowin/Orvane.reg";
    RegFileBackend user{path};
    AutostartBackend machine{dir / "autostart", {}};
    SettingsStore store{user, machine};
};

TEST(RegFile, RoundTripsEveryKindOfValueAsRegeditText) {
    Files f;
    EXPECT_FALSE(f.store.save(Setting::CompactX, "7680")) << "keys do not exist yet";
    EXPECT_FALSE(exists(f.path));
    f.store.EnsureKeys();
    for (const char* parent : {"Software", "software\\MERROWIN", "Software\\Merrowin\\Orvane"})
        EXPECT_TRUE(f.user.keyExists(parent)) << parent;
    ASSERT_TRUE(f.store.save(Setting::CompactX, "7680"));
    ASSERT_TRUE(f.store.save(Setting::AlwaysOnTop, "1"));
    ASSERT_TRUE(f.store.SaveUserValue(std::string(keys::kSetting), "Count", "-5", RegType::DWord));
    EXPECT_EQ(f.store.get(Setting::CompactX), SettingValue::text("7680"));
    EXPECT_EQ(f.store.get(Setting::Count), SettingValue::number(-5));
    EXPECT_TRUE(f.store.get(Setting::X).isAbsent());
    // The autostart entry lives in the machine hive, not in this file.
    EXPECT_TRUE(f.store.save(Setting::StartWithDesktop, "/usr/bin/orvane"));
    EXPECT_EQ(f.store.get(Setting::StartWithDesktop), SettingValue::text("/usr/bin/orvane"));
    EXPECT_EQ(f.store.machineLocation(), f.dir / "autostart/orvane.desktop");

    const std::vector<std::pair<std::string, RegValue>> values = {
        {"Quote \"q\" \\ back\\", sz("C:\\dir\\\"x\"\\")},
        {"Ünïcødé ☃", sz("grüße 日本 🎉")},
        {"Empty", sz("")},
        {"Multi line", sz("a\nb\r\n")},
        {"NoNul", RegValue{1, {'a', 'b'}}},
        {"Latin1", sz("\xE9t\xE9")},
        {"Number", RegValue{4, {0x1f, 0, 0, 0x80}}},
        {"Expand", RegValue{2, {'%', 0, 'A', 0, 0, 0}}},
        {"Blob", RegValue{3, std::vector<std::uint8_t>(100, 0xab)}},
        {"NoBytes", RegValue{3, {}}},
        {"Qword", RegValue{11, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"", sz("default")},
    };
    for (const auto& [name, v] : values) ASSERT_TRUE(f.user.setValue(kKey, name, v)) << name;
    for (const auto& [name, v] : values) {
        const auto got = f.user.queryValue(kKey, name);
        ASSERT_TRUE(got) << name;
        EXPECT_EQ(got->type, v.type) << name;
        EXPECT_EQ(got->data, v.data) << name;
    }

    const std::string text = readText(f.path);
    EXPECT_EQ(text.rfind(kHeader + "[HKEY_CURRENT_USER\\Software]\n\n", 0), 0u) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    for (const std::string& line :
         {"\n\n" + kSection + "\"CompactX\"=\"7680\"\n\"Always On Top\"=\"1\"\n"s,
          "\"Count\"=dword:fffffffb\n"s, "\"Quote \\\"q\\\" \\\\ back\\\\\"=\"C:\\\\dir\\\\\\\"x\\\"\\\\\"\n"s,
          "\"Number\"=dword:8000001f\n"s, "\"Empty\"=\"\"\n"s, "\"NoNul\"=hex(1):61,62\n"s,
          "\"Qword\"=hex(b):01,02,03"s, "\"Blob\"=hex:ab,ab"s, ",\\\n  ab,"s, "@=\"default\"\n"s})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(modeOf(f.dir / "Merrowin"), 0700u);
}

TEST(RegFile, ReadsHandWrittenFilesByTheRegistryRules) {
    const std::string s = kHeader + kSection;
    std::string utf16 = "\xFF\xFE";
    for (char c : kHeader + "[hkey_current_user\\software\\merrowin\\orvane\\window]\n"
                            "\"Display\"=\"\xE9\"\n") {
        utf16 += c;
        utf16 += '\0';
    }
    const SettingValue absent;
    const struct {
        std::string file;
        SettingValue want;
    } cases[] = {
        {s + "\"Display\"=dword:00000001\n", SettingValue::number(1)},
        {s + "\"Display\"=DWORD:1F\n", SettingValue::number(31)},
        {s + "\"Display\"=dword:ffffffff\n", SettingValue::number(-1)},
        {s + "\"Display\"=hex(4):01,00,00,00\n", SettingValue::number(1)},
        {s + "\"Display\"=hex(4):01,00\n", absent},
        {s + "\"Display\"=hex(2):31,00\n", absent},
        {s + "\"Display\"=hex:31,00\n", absent},
        {s + "\"Display\"=\"\"\n", SettingValue::text("")},
        {s + "\"display\"=\"2\"\n", SettingValue::text("2")},
        {s + "\"Display\"=hex(1):61,62\n", SettingValue::text("a")},
        {s + "\"Display\"=hex(1):61,62,00\n", SettingValue::text("ab")},
        {s + "\"Display\"=hex(1):\n", absent},
        {s + "\"Display\"=-\n", absent},
        {s + "\"Display\"=1\n", absent},
        {s + "\"Display\"=\"unterminated\n", absent},
        {s + "\"Display\"=hex(4):02,\\\n  00,\\\n  00,00\n\"C\"=\"c\"\n", SettingValue::number(2)},
        {s + "\"B\"=hex:01,\\\n  02\n\"Display\"=\"c\"\n", SettingValue::text("c")},
        {s + "\"Display\"=\"1\"\n\"Display\"=-\n", absent},
        {s + "\"Display\"=-\n\"Display\"=\"2\"\n", SettingValue::text("2")},
        {s + "\"Display\"=\"1\"\n" + kSection + "\"display\"=\"2\"\n", SettingValue::text("2")},
        {kHeader + "\"Display\"=\"1\"\n" + kSection, absent},
        {kHeader + "[hkey_current_user\\SOFTWARE\\merrowin\\ORVANE\\window]\n\"dISPLAY\"=\"1\"\n",
         SettingValue::text("1")},
        {kHeader + "[HKEY_LOCAL_MACHINE\\" + kKey + "]\n\"Display\"=\"1\"\n", absent},
        {"\xEF\xBB\xBF" + kHeader + "[HKEY_CURRENT_USER\\" + kKey + "]\r\n\"Display\"=\"1\"\r\n",
         SettingValue::text("1")},
        {utf16, SettingValue::text("\xC3\xA9")},
        {s + "junk\n\"Display\" = \"1\"\n\x01\x02\0\xff\n\"Y\"=oops\n"s, SettingValue::text("1")},
        {s + "\"Display\"=\"1\"\n[-HKEY_CURRENT_USER\\Software\\Merrowin]\n", absent},
        {s + "[HKEY_CURRENT_USER\\Software\\Other\n\"Display\"=\"1\"\n", absent},
        {kHeader + "[HKEY_CURRENT_USER\\Other]\n\"B\"=hex:01,\\\n" + kSection + "\"Display\"=\"1\"\n",
         SettingValue::text("1")},
        {"", absent},
    };
    Files f;
    ::mkdir((f.dir / "Merrowin").c_str(), 0700);
    for (const auto& c : cases) {
        writeText(f.path, c.file);
        EXPECT_EQ(f.store.get(Setting::Display), c.want) << c.file;
    }
}

TEST(RegFile, WithoutTheProductKeyEverythingReadsAbsentUntilEnsureKeys) {
    Files f;
    ::mkdir((f.dir / "Merrowin").c_str(), 0700);
    const std::string foreign = kHeader + "[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=\"1\"\n";
    writeText(f.path, foreign);
    for (const SettingInfo& s : kSettings)
        EXPECT_TRUE(s.hive != Hive::CurrentUser || f.store.get(s.id).isAbsent()) << s.name;
    EXPECT_FALSE(f.store.save(Setting::X, "1"));
    EXPECT_EQ(readText(f.path), foreign);

    f.store.EnsureKeys();
    ASSERT_TRUE(f.store.save(Setting::X, "1"));
    ASSERT_TRUE(f.store.save(Setting::FirstUse, "1"));
    // The user deletes the Window section by hand; its values go with it.
    std::string text = readText(f.path);
    const std::size_t from = text.find(kSection);
    ASSERT_NE(from, std::string::npos);
    text.erase(from, text.find("[HKEY_CURRENT_USER\\" + std::string(keys::kSetting)) - from);
    writeText(f.path, text);
    EXPECT_TRUE(f.store.get(Setting::X).isAbsent());
    EXPECT_FALSE(f.store.save(Setting::X, "2"));

    f.store.EnsureKeys();
    EXPECT_TRUE(f.store.save(Setting::X, "2"));
    EXPECT_EQ(f.store.get(Setting::X), SettingValue::text("2"));
    EXPECT_EQ(f.store.get(Setting::FirstUse), SettingValue::text("1"));
    EXPECT_NE(readText(f.path).find(foreign.substr(kHeader.size())), std::string::npos);
}

TEST(RegFile, RewriteKeepsEverythingItDoesNotChange) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    const std::string junk = "\x01\x02 \0\xfe binary junk"s;
    writeText(path, kHeader + "\"Orphan\"=\"x\"\n; my settings\n" + kSection + "\"X\"=\"1\"\n" +
                        junk +
                        "\n\"Gone\"=-\n@=\"keep\"\n\"Y\"=\"2\"\n"
                        "\"Bin\"=hex:01,\\\n    02\n\n; next\n[HKEY_CURRENT_USER\\Software]\n"
                        "\"Z\"=\"3\"\r\n");
    RegFileBackend b(path);
    ASSERT_TRUE(b.setValue(kKey, "x", sz("10")));
    ASSERT_TRUE(b.setValue(kKey, "New", sz("n")));
    ASSERT_TRUE(b.setValue(kKey, "Gone", sz("back")));
    ASSERT_TRUE(b.createKey("Software\\New"));
    EXPECT_EQ(readText(path),
              kHeader + "\"Orphan\"=\"x\"\n; my settings\n" + kSection + "\"x\"=\"10\"\n" + junk +
                  "\n\"Gone\"=-\n@=\"keep\"\n\"Y\"=\"2\"\n\"Bin\"=hex:01,\\\n    02\n"
                  "\"New\"=\"n\"\n\"Gone\"=\"back\"\n\n; next\n[HKEY_CURRENT_USER\\Software]\n"
                  "\"Z\"=\"3\"\n\n[HKEY_CURRENT_USER\\Software\\New]\n");
    EXPECT_EQ(textOf(b.queryValue(kKey, "Gone")), std::string("back\0", 5));
    EXPECT_EQ(textOf(b.queryValue(kKey, "Bin")), "\x01\x02");
    EXPECT_EQ(textOf(b.queryValue("Software", "z")), std::string("3\0", 2));
    EXPECT_FALSE(b.queryValue(kKey, "Orphan"));
}

TEST(RegFile, NothingIsCachedAndBadFilesNeverBreakIt) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    RegFileBackend b(path);
    ASSERT_TRUE(b.createKey(kKey));
    ASSERT_TRUE(b.setValue(kKey, "X", sz("1")));
    writeText(path, kHeader + kSection + "\"X\"=\"2\"\n");
    EXPECT_EQ(textOf(b.queryValue(kKey, "X")), std::string("2\0", 2));
    writeText(path, "garbage only");
    EXPECT_FALSE(b.keyExists(kKey));
    ASSERT_TRUE(b.createKey(kKey));
    EXPECT_EQ(readText(path), kHeader +
                                  "garbage only\n\n[HKEY_CURRENT_USER\\Software]\n\n"
                                  "[HKEY_CURRENT_USER\\Software\\Merrowin]\n\n"
                                  "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane]\n\n" +
                                  kSection);

    // A folder where the file should be, and a file where its folder should be.
    ::mkdir((dir / "isdir.reg").c_str(), 0700);
    writeText(dir / "plainfile", "x");
    for (const std::string& bad : {dir / "isdir.reg", dir / "plainfile/Orvane.reg"}) {
        RegFileBackend broken(bad);
        EXPECT_FALSE(broken.createKey(kKey)) << bad;
        EXPECT_FALSE(broken.setValue(kKey, "X", sz("1"))) << bad;
        EXPECT_FALSE(broken.queryValue(kKey, "X")) << bad;
    }
}

TEST(RegFile, FileStaysPrivateUnderAPermissiveUmask) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    writeText(path, kHeader + kSection);
    ::chmod(path.c_str(), 0666);
    writeText(path + ".tmp-AbC123", "leftover of a writer that died");
    const mode_t old = ::umask(0);
    const bool ok = RegFileBackend(path).setValue(kKey, "X", sz("1"));
    ::umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(path + ".lock") & 077, 0u);
    EXPECT_FALSE(exists(path + ".tmp-AbC123"));
}

// Files cut short or converted twice: a line is never read as part of another, and a write
// never changes what the lines it did not touch mean.
TEST(RegFile, BrokenLineEndsNeitherSwallowNorRevealValues) {
    const std::string setting = "[HKEY_CURRENT_USER\\" + std::string(keys::kSetting) + "]\n";
    const std::string other = "[HKEY_CURRENT_USER\\Software\\Other]\n\"Z\"=\"z\"\n";
    const std::string openHex = "\"Blob\"=hex:01,02,\\\n";
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"open hex line before a header", kHeader + setting + "\"First Use\"=\"1\"\n" + openHex + other},
        {"open hex line at the end", kHeader + other + setting + "\"First Use\"=\"1\"\n" + openHex},
        {"open hex line alone in its key", kHeader + other + setting + openHex},
        {"CR CR LF", "Windows Registry Editor Version 5.00\r\r\n\r\r\n" + setting.substr(0, setting.size() - 1) +
                         "\r\r\n\"First Use\"=\"1\"\r\r\n" + other.substr(0, other.find('\n')) +
                         "\r\r\n\"Z\"=\"z\"\r\r\r\n"},
    };
    for (const auto& c : cases) {
        Files f;
        ::mkdir((f.dir / "Merrowin").c_str(), 0700);
        writeText(f.path, c.file);
        const bool hasFirstUse = c.file.find("First Use") != std::string::npos;
        const auto check = [&](const char* when) {
            if (hasFirstUse) {
                EXPECT_EQ(f.store.get(Setting::FirstUse), SettingValue::text("1")) << c.what << when;
            }
            EXPECT_EQ(textOf(f.user.queryValue("Software\\Other", "Z")), std::string("z\0", 2)) << c.what << when;
            EXPECT_FALSE(f.user.queryValue(std::string(keys::kSetting), "Blob")) << c.what << when;
        };
        check(", as read");
        // Learning's one commit, then a key made after the broken line.
        ASSERT_TRUE(f.store.save({{Setting::Data, "1.8"}, {Setting::Count, "10"}})) << c.what;
        f.store.EnsureKeys();
        ASSERT_TRUE(f.store.save(Setting::X, "150")) << c.what;
        EXPECT_EQ(f.store.get(Setting::Data), SettingValue::text("1.8")) << c.what << "\n" << readText(f.path);
        EXPECT_EQ(f.store.get(Setting::Count), SettingValue::text("10")) << c.what;
        EXPECT_EQ(f.store.get(Setting::X), SettingValue::text("150")) << c.what << "\n" << readText(f.path);
        check(", after the writes");
    }
}

// A lock file this user cannot write (root's, 0644, after one run under sudo) or a symlink
// planted in its place must not stop saving. Root may write anything, so the writer runs as
// an ordinary uid; a user that is not root gets a read-only lock file of its own.
TEST(RegFile, ForeignOrPlantedLockFileNeverStopsSaving) {
    constexpr uid_t kNobody = 65534;
    for (const bool planted : {false, true}) {
        TempDir dir;
        const std::string path = dir / "Orvane.reg", lock = path + ".lock", bait = dir / "bait";
        ASSERT_TRUE(RegFileBackend(path).createKey(kKey));
        ::unlink(lock.c_str());
        if (planted) {
            ASSERT_EQ(::symlink(bait.c_str(), lock.c_str()), 0);
        } else {
            writeText(lock, "");
            ::chmod(lock.c_str(), ::geteuid() == 0 ? 0644 : 0444);
        }
        const bool asRoot = ::geteuid() == 0;
        if (asRoot) {
            ASSERT_EQ(::chown(dir.path().c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (asRoot && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                           ::setresuid(kNobody, kNobody, kNobody) != 0))
                ::_exit(3);
            if (::access(dir.path().c_str(), W_OK | X_OK) != 0) ::_exit(4);  // TMPDIR closed to it
            RegFileBackend b(path);
            const std::vector<ValueWrite> both{{kKey, "X", sz("1")}, {kKey, "Y", sz("2")}};
            const bool ok = b.setValue(kKey, "X", sz("0")) && b.commit(both);
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 4) GTEST_SKIP() << "cannot run as an ordinary user here";
        EXPECT_EQ(WEXITSTATUS(status), 0) << (planted ? "planted symlink" : "foreign lock file");
        RegFileBackend b(path);
        EXPECT_EQ(textOf(b.queryValue(kKey, "Y")), std::string("2\0", 2));
        EXPECT_FALSE(exists(bait)) << "the planted symlink was followed";
    }
}

// A writer killed at random moments over some hundreds of commits: after each kill the file
// parses and holds one commit whole, the last finished one or the one under way, and the
// values no commit touches are still there.
TEST(RegFile, KilledWriterLeavesTheOldOrTheNewCommitWhole) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    const std::string key(keys::kSetting);
    RegFileBackend b(path);
    ASSERT_TRUE(b.createKey(key));
    ASSERT_TRUE(b.setValue(key, "First Use", sz("1")));
    // Commit n writes n into "Count", "Data" and a payload whose size varies with n, together.
    const auto commit = [&key](long n) {
        return std::vector<ValueWrite>{
            {key, "Data", sz(std::to_string(n) + ".5")},
            {key, "Count", sz(std::to_string(n))},
            {key, "Payload", sz(std::string(100 + n % 7 * 900, static_cast<char>('a' + n % 26)))}};
    };
    // Shared with the writer: the commit it has begun and the last it has finished.
    auto* progress = static_cast<std::atomic<long>*>(
        ::mmap(nullptr, 2 * sizeof(std::atomic<long>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(progress, MAP_FAILED);
    new (&progress[0]) std::atomic<long>(0);
    new (&progress[1]) std::atomic<long>(0);
    std::mt19937 random(std::random_device{}());
    const unsigned seed = random();
    random.seed(seed);
    int kills = 0;
    while (kills < 200 || progress[1] < 400) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegFileBackend w(path);
            for (long n = progress[1] + 1;; ++n) {
                progress[0] = n;
                if (!w.commit(commit(n))) ::_exit(1);
                progress[1] = n;
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 2000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own, seed " << seed;
        ++kills;
        const std::string text = readText(path);
        ASSERT_EQ(text.rfind(kHeader, 0), 0u) << "seed " << seed;
        ASSERT_EQ(text.back(), '\n');
        ASSERT_EQ(textOf(b.queryValue(key, "First Use")), std::string("1\0", 2)) << "seed " << seed;
        const std::string count = textOf(b.queryValue(key, "Count"));
        if (count == "<absent>") {
            ASSERT_EQ(progress[1], 0) << "seed " << seed;
            continue;
        }
        const long n = std::stol(count);
        ASSERT_GE(n, progress[1]) << "seed " << seed;
        ASSERT_LE(n, progress[0]) << "seed " << seed;
        for (const ValueWrite& w : commit(n))
            ASSERT_EQ(b.queryValue(key, w.name)->data, w.value.data) << w.name << ", seed " << seed;
    }
    std::printf("%d kills over %ld commits, seed %u\n", kills, progress[1].load(), seed);
    ::munmap(progress, 2 * sizeof(std::atomic<long>));
}

TEST(RegFile, ConcurrentWritersLoseNoUpdate) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    ASSERT_TRUE(RegFileBackend(path).createKey(kKey));
    constexpr int kRounds = 40;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const std::string who = child == 0 ? "child" : "parent";
    RegFileBackend b(path);
    bool ok = true;
    for (int i = 0; i < kRounds; ++i) ok = b.setValue(kKey, who + std::to_string(i), sz(who)) && ok;
    if (child == 0) ::_exit(ok ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const std::string name : {"child", "parent"})
        for (int i = 0; i < kRounds; ++i)
            EXPECT_TRUE(b.queryValue(kKey, name + std::to_string(i))) << name << i;
}

}  // namespace
}  // namespace orvane
