#include "platform/linux/reg_file_backend.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "store_test_util.h"

using namespace orvane;
using namespace orvane::testutil;
using namespace std::string_literals;

namespace {

const std::string kKey = "Software\\Merrowin\\Orvane\\Window";
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Window]\n";

RegValue sz(const std::string& text) {
    RegValue v{1, {text.begin(), text.end()}};
    v.data.push_back(0);
    return v;
}

std::string textOf(const std::optional<RegValue>& v) {
    return v ? std::string(v->data.begin(), v->data.end()) : "<absent>";
}

TEST(RegFileBackend, DefaultPathFollowsXdgConfigHome) {
    struct Case {
        const char* xdg;
        const char* expected;
    };
    const Case cases[] = {
        {"/cfg", "/cfg/Merrowin/Orvane.reg"},
        {"/cfg/", "/cfg/Merrowin/Orvane.reg"},
        {"", "/home/u/.config/Merrowin/Orvane.reg"},
        {"relative/dir", "/home/u/.config/Merrowin/Orvane.reg"},
        {nullptr, "/home/u/.config/Merrowin/Orvane.reg"},
    };
    ScopedEnv home("HOME", "/home/u");
    for (const Case& c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(RegFileBackend::defaultPath(), c.expected) << (c.xdg ? c.xdg : "unset");
    }
}

TEST(RegFileBackend, RoundTripsEveryKindOfValue) {
    TempDir dir;
    const std::string path = dir / "sub/Merrowin/Orvane.reg";
    RegFileBackend b(path);
    EXPECT_FALSE(b.keyExists(kKey));
    EXPECT_FALSE(b.setValue(kKey, "X", sz("1"))) << "a missing key must not be written";
    EXPECT_FALSE(exists(path));
    ASSERT_TRUE(b.createKey(kKey));
    for (const char* parent : {"Software", "software\\MERROWIN", "Software\\Merrowin\\Orvane"})
        EXPECT_TRUE(b.keyExists(parent)) << parent;

    const std::vector<std::pair<std::string, RegValue>> values = {
        {"Plain", sz("7680")},
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
    for (const auto& [name, v] : values) ASSERT_TRUE(b.setValue(kKey, name, v)) << name;
    for (const auto& [name, v] : values) {
        const auto got = b.queryValue(kKey, name);
        ASSERT_TRUE(got) << name;
        EXPECT_EQ(got->type, v.type) << name;
        EXPECT_EQ(got->data, v.data) << name;
    }

    const std::string text = readText(path);
    EXPECT_EQ(text.rfind(kHeader + "[HKEY_CURRENT_USER\\Software]\n\n", 0), 0u) << text;
    EXPECT_NE(text.find("\n\n" + kSection + "\"Plain\"=\"7680\"\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    for (const char* line :
         {"\"Quote \\\"q\\\" \\\\ back\\\\\"=\"C:\\\\dir\\\\\\\"x\\\"\\\\\"\n",
          "\"Number\"=dword:8000001f\n", "\"Empty\"=\"\"\n", "\"NoNul\"=hex(1):61,62\n",
          "\"Qword\"=hex(b):01,02,03", "\"Blob\"=hex:ab,ab", ",\\\n  ab,", "@=\"default\"\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(dir / "sub"), 0700u);
}

TEST(RegFileBackend, ReadsHandWrittenFiles) {
    struct Case {
        const char* what;
        std::string file;
        std::string name;
        std::optional<RegValue> expected;
    };
    const std::string s = kHeader + kSection;
    std::string utf16 = "\xFF\xFE";
    for (char c :
         kHeader +
             "[hkey_current_user\\software\\merrowin\\orvane\\window]\n\"A\"=\"\xC3\xA9\"\n") {
        if (c == '\xC3') continue;
        utf16 += c == '\xA9' ? '\xE9' : c;
        utf16 += '\0';
    }
    const std::vector<Case> cases = {
        {"short dword", s + "\"D\"=DWORD:1F\n", "D", RegValue{4, {0x1f, 0, 0, 0}}},
        {"continued", s + "\"B\"=hex:01,02,\\\n  03,\\\n  04\n\"C\"=\"c\"\n", "B",
         RegValue{3, {1, 2, 3, 4}}},
        {"after continued", s + "\"B\"=hex:01,\\\n  02\n\"C\"=\"c\"\n", "C", sz("c")},
        {"deleted", s + "\"X\"=\"1\"\n\"X\"=-\n", "X", std::nullopt},
        {"set after delete", s + "\"X\"=-\n\"X\"=\"2\"\n", "X", sz("2")},
        {"later wins", s + "\"X\"=\"1\"\n" + s.substr(kHeader.size()) + "\"x\"=\"2\"\n", "X",
         sz("2")},
        {"before any section", kHeader + "\"X\"=\"1\"\n" + kSection, "X", std::nullopt},
        {"case",
         kHeader + "[hkey_current_user\\SOFTWARE\\merrowin\\ORVANE\\window]\n\"dISPLAY\"=\"1\"\n",
         "Display", sz("1")},
        {"other hive",
         kHeader + "[HKEY_LOCAL_MACHINE\\Software\\Merrowin\\Orvane\\Window]\n\"X\"=\"1\"\n", "X",
         std::nullopt},
        {"crlf bom",
         "\xEF\xBB\xBF" + kHeader +
             "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Window]\r\n\"X\"=\"1\"\r\n",
         "X", sz("1")},
        {"utf16", utf16, "A", sz("\xC3\xA9")},
        {"garbage around", s + "junk\n\"X\" = \"1\"\n\x01\x02\0\xff\n\"Y\"=oops\n"s, "X", sz("1")},
        {"bad value", s + "\"Y\"=\"unterminated\n", "Y", std::nullopt},
        {"key deleted", s + "\"X\"=\"1\"\n[-HKEY_CURRENT_USER\\Software\\Merrowin]\n", "X",
         std::nullopt},
        {"broken header", s + "[HKEY_CURRENT_USER\\Software\\Other\n\"X\"=\"1\"\n", "X",
         std::nullopt},
        {"dangling continuation",
         kHeader + "[HKEY_CURRENT_USER\\Other]\n\"B\"=hex:01,\\\n" + kSection + "\"X\"=\"1\"\n",
         "X", sz("1")},
        {"empty file", "", "X", std::nullopt},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeText(dir / "f.reg", c.file);
        RegFileBackend b(dir / "f.reg");
        const auto got = b.queryValue(kKey, c.name);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what << ": " << textOf(got);
        if (got) {
            EXPECT_EQ(got->type, c.expected->type) << c.what;
            EXPECT_EQ(got->data, c.expected->data) << c.what;
        }
    }
}

TEST(RegFileBackend, RewriteKeepsEverythingItDoesNotChange) {
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

TEST(RegFileBackend, NothingIsCachedAndBadFilesNeverBreakIt) {
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

TEST(RegFileBackend, FileStaysPrivateUnderAPermissiveUmask) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    writeText(path, kHeader + kSection);
    ::chmod(path.c_str(), 0666);
    writeText(path + ".tmp-AbC123", "leftover of a writer that died");
    const mode_t old = ::umask(0);
    RegFileBackend b(path);
    const bool ok = b.setValue(kKey, "X", sz("1"));
    ::umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(path + ".lock") & 077, 0u);
    EXPECT_FALSE(exists(path + ".tmp-AbC123"));
}

// Every file a reader can observe is whole, even while a writer is killed mid-write.
TEST(RegFileBackend, KilledWriterNeverLeavesATornFile) {
    TempDir dir;
    const std::string path = dir / "Orvane.reg";
    RegFileBackend b(path);
    ASSERT_TRUE(b.createKey(kKey));
    for (int round = 0; round < 15; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegFileBackend w(path);
            for (int i = 0;; ++i) w.setValue(kKey, "Payload", sz(std::string(3000, 'a' + i % 26)));
        }
        std::string last;
        int changes = 0;
        // Reads until the writer has got a few files out, then kills it at a random point.
        for (int reads = 0; changes < 3 + round % 4 && reads < 1000000; ++reads) {
            const std::string value = textOf(b.queryValue(kKey, "Payload"));
            if (value == "<absent>") continue;
            ASSERT_EQ(value.size(), 3001u);
            ASSERT_EQ(value.find_first_not_of(value[0]), 3000u);
            changes += value != last;
            last = value;
        }
        ::usleep(static_cast<useconds_t>(::rand() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string text = readText(path);
        ASSERT_EQ(text.rfind(kHeader, 0), 0u);
        ASSERT_NE(text.find(kSection), std::string::npos);
        ASSERT_EQ(text.back(), '\n');
        const std::string value = textOf(b.queryValue(kKey, "Payload"));
        ASSERT_EQ(value.size(), 3001u);
        ASSERT_EQ(value.find_first_not_of(value[0]), 3000u);
    }
}

TEST(RegFileBackend, ConcurrentWritersLoseNoUpdate) {
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
