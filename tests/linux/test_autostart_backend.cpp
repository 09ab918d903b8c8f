#include "platform/linux/autostart_backend.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "store_test_util.h"

using namespace orvane;
using namespace orvane::testutil;

namespace {

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

RegValue sz(const std::string& text) {
    RegValue v{1, {text.begin(), text.end()}};
    v.data.push_back(0);
    return v;
}

// The text of a string value without its NUL, or "<absent>".
std::string read(AutostartBackend& b, const std::string& key = kRun,
                 const std::string& name = "Orvane") {
    const auto v = b.queryValue(key, name);
    if (!v) return "<absent>";
    EXPECT_EQ(v->type, 1u);
    EXPECT_FALSE(v->data.empty());
    return v->data.empty() ? "" : std::string(v->data.begin(), v->data.end() - 1);
}

TEST(AutostartBackend, DefaultDirIsTheFirstAbsoluteConfigDir) {
    struct Case {
        const char* dirs;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "/etc/xdg/autostart"},
        {"", "/etc/xdg/autostart"},
        {"/opt/xdg:/etc/xdg", "/opt/xdg/autostart"},
        {"/opt/xdg/", "/opt/xdg/autostart"},
        {"relative:/second", "/second/autostart"},
        {"::", "/etc/xdg/autostart"},
    };
    for (const Case& c : cases) {
        ScopedEnv env("XDG_CONFIG_DIRS", c.dirs);
        EXPECT_EQ(AutostartBackend::defaultDir(), c.expected) << (c.dirs ? c.dirs : "unset");
    }
}

TEST(AutostartBackend, ServesOnlyTheRunValue) {
    TempDir dir;
    AutostartBackend b(dir / "autostart");
    EXPECT_EQ(b.location(), dir / "autostart/orvane.desktop");
    for (const char* key : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "software\\microsoft\\windows\\currentversion\\run",
                            "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"}) {
        EXPECT_TRUE(b.keyExists(key)) << key;
        EXPECT_TRUE(b.createKey(key)) << key;
        EXPECT_EQ(read(b, key, "orvane"), "<absent>") << key;
    }
    EXPECT_FALSE(b.keyExists("Software\\Merrowin\\Orvane"));
    EXPECT_FALSE(b.setValue(kRun, "Other", sz("/bin/true")));
    EXPECT_FALSE(b.setValue("Software\\Merrowin", "Orvane", sz("/bin/true")));
    EXPECT_FALSE(b.setValue(kRun, "Orvane", RegValue{4, {1, 0, 0, 0}}));
    EXPECT_FALSE(exists(b.location()));
    EXPECT_EQ(read(b, kRun, "Other"), "<absent>");
}

TEST(AutostartBackend, OnOffOnRoundTrip) {
    TempDir dir;
    AutostartBackend b(dir / "new/autostart");
    ASSERT_TRUE(b.setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
    EXPECT_EQ(read(b), "/usr/bin/orvane");
    EXPECT_EQ(modeOf(b.location()), 0644u);

    ASSERT_TRUE(b.setValue(kRun, "Orvane", sz("")));
    EXPECT_EQ(read(b), "");
    const std::string off = readText(b.location());
    EXPECT_NE(off.find("\nHidden=true\n"), std::string::npos) << off;
    EXPECT_EQ(off.find("/usr/bin"), std::string::npos) << off;

    ASSERT_TRUE(b.setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
    EXPECT_EQ(read(b), "/usr/bin/orvane");
    EXPECT_EQ(readText(b.location()).find("Hidden"), std::string::npos);
}

TEST(AutostartBackend, ProgramPathsSurviveExecQuoting) {
    TempDir dir;
    AutostartBackend b(dir.path());
    for (const std::string path : {"/opt/My Apps/orvane", "/a/b$c`d\"e\\f'g", "/x/100%/orvane",
                                   "/tab\there", "/üñí/orvane"}) {
        ASSERT_TRUE(b.setValue(kRun, "Orvane", sz(path))) << path;
        EXPECT_EQ(read(b), path);
    }
    EXPECT_EQ(AutostartBackend::execLine("/usr/bin/orvane"), "/usr/bin/orvane");
    EXPECT_EQ(AutostartBackend::execLine("/opt/My App/orvane"), "\"/opt/My App/orvane\"");

    // Entries as a user or another tool may have written them.
    struct Case {
        const char* content;
        const char* expected;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nExec=/usr/bin/orvane --tray %U\n", "/usr/bin/orvane"},
        {"[Desktop Entry]\nExec = \"/opt/a b/orvane\" --x\n", "/opt/a b/orvane"},
        {"[Desktop Entry]\nExec=\"/opt/a\\\\\\\\b\"\n", "/opt/a\\b"},
        {"[Desktop Entry]\nExec=/usr/bin/orvane\nHidden=true\n", ""},
        {"[Desktop Entry]\r\nHidden=false\r\nExec=/usr/bin/orvane\r\n", "/usr/bin/orvane"},
        {"[Desktop Entry]\nExec=/usr/bin/orvane\n[Desktop Action x]\nHidden=true\n",
         "/usr/bin/orvane"},
        {"[Other]\nExec=/usr/bin/orvane\n", ""},
        {"\x01\x02 garbage", ""},
    };
    for (const Case& c : cases) {
        writeText(b.location(), c.content);
        EXPECT_EQ(read(b), c.expected) << c.content;
    }
}

TEST(AutostartBackend, FailedWriteReportsFalseAndChangesNothing) {
    TempDir dir;
    writeText(dir / "file", "not a folder");
    AutostartBackend underFile(dir / "file/autostart");
    EXPECT_FALSE(underFile.setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
    EXPECT_EQ(readText(dir / "file"), "not a folder");
    EXPECT_EQ(read(underFile), "<absent>");

    // A folder in the entry's place cannot be replaced by a file.
    AutostartBackend blocked(dir.path());
    ::mkdir(blocked.location().c_str(), 0755);
    EXPECT_FALSE(blocked.setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
    EXPECT_EQ(modeOf(blocked.location()) & 0777, 0755u);

    if (::geteuid() != 0) {
        AutostartBackend readOnly(dir / "ro");
        ASSERT_TRUE(readOnly.setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
        const std::string before = readText(readOnly.location());
        ::chmod((dir / "ro").c_str(), 0555);
        EXPECT_FALSE(readOnly.setValue(kRun, "Orvane", sz("")));
        EXPECT_EQ(readText(readOnly.location()), before);
    }
}

TEST(AutostartBackend, WrittenEntriesPassDesktopFileValidate) {
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate not installed";
    TempDir dir;
    AutostartBackend b(dir.path());
    for (const std::string path : {"/usr/bin/orvane", "/opt/My $App/orvane", ""}) {
        ASSERT_TRUE(b.setValue(kRun, "Orvane", sz(path)));
        const std::string cmd = "desktop-file-validate '" + b.location() + "' >&2";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << readText(b.location());
    }
}

}  // namespace
