// The autostart entry behind the machine hive, the one-instance lock, and where the real files
// go by default.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/autostart_backend.h"
#include "platform/posix/desktop_entry.h"
#include "platform/posix/reg_file_backend.h"
#include "platform/posix/single_instance_lock.h"
#include "support/test_support.h"

namespace orvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The text of the value without its NUL, or "<absent>" (its type is the store contract's).
std::string read(AutostartBackend& b, const std::string& key = kRun,
                 const std::string& name = "Orvane") {
    const auto v = b.queryValue(key, name);
    return v ? std::string(v->data.begin(), v->data.end() - 1) : "<absent>";
}

TEST(DefaultLocations, FollowTheXdgVariablesAndIgnoreRelativeOnes) {
    const std::string home = "/home/u/.config/Merrowin/Orvane.reg";
    const std::string tmpLock = "/tmp/orvane-" + std::to_string(::getuid()) + ".lock";
    const auto reg = &RegFileBackend::defaultPath;
    const auto userAutostart = &AutostartBackend::defaultUserDir;
    const auto autostart = +[] {
        std::string joined;
        for (const std::string& d : AutostartBackend::defaultSystemDirs())
            joined += (joined.empty() ? "" : ":") + d;
        return joined;
    };
    const auto lock = &SingleInstanceLock::defaultPath;
    const std::string cfg = "XDG_CONFIG_HOME", dirs = "XDG_CONFIG_DIRS", run = "XDG_RUNTIME_DIR";
    const char* unset = nullptr;
    const std::tuple<std::string, const char*, std::string (*)(), std::string> cases[] = {
        // clang-format off
        {cfg, "/cfg/", reg, "/cfg/Merrowin/Orvane.reg"},
        {cfg, "", reg, home}, {cfg, "relative/dir", reg, home}, {cfg, unset, reg, home},
        {cfg, "/cfg/", userAutostart, "/cfg/autostart"},
        {cfg, unset, userAutostart, "/home/u/.config/autostart"},
        {dirs, unset, autostart, "/etc/xdg/autostart"}, {dirs, "", autostart, "/etc/xdg/autostart"},
        {dirs, "/opt/xdg/:/etc/xdg", autostart, "/opt/xdg/autostart:/etc/xdg/autostart"},
        {dirs, "relative:/second", autostart, "/second/autostart"},
        {dirs, "::", autostart, "/etc/xdg/autostart"},
        {run, "/run/user/1000/", lock, "/run/user/1000/orvane.lock"},
        {run, "", lock, tmpLock}, {run, "relative", lock, tmpLock}, {run, unset, lock, tmpLock},
        // clang-format on
    };
    std::map<std::string, std::optional<std::string>> saved;
    for (const std::string& var : {std::string("HOME"), cfg, dirs, run})
        saved[var] =
            std::getenv(var.c_str()) ? std::optional(std::getenv(var.c_str())) : std::nullopt;
    ::setenv("HOME", "/home/u", 1);
    for (const auto& [var, value, location, want] : cases) {
        value ? ::setenv(var.c_str(), value, 1) : ::unsetenv(var.c_str());
        EXPECT_EQ(location(), want) << var << "=" << (value ? value : "(unset)");
    }
    for (const auto& [var, v] : saved)
        v ? ::setenv(var.c_str(), v->c_str(), 1) : ::unsetenv(var.c_str());
}

// A link handler's Exec line, as the desktop entry specification has it ("The Exec key") and
// GLib runs it; the address is never a program, nor split from a word it stands in.
TEST(DesktopEntry, ExecLinesRunTheProgramWithTheAddress) {
    DesktopEntry entry;
    entry.values = {{"Name", "Web Reader"}, {"Icon", "web"}};
    const std::string file = "/usr/share/applications/web.desktop";
    const std::string url = "https://a.example/b?c=1&d";
    using Words = std::vector<std::string>;
    const auto none = std::nullopt;
    const std::pair<const char*, std::optional<Words>> rows[] = {
        // clang-format off
        {"browser %u", Words{"browser", url}},
        {"browser", Words{"browser", url}},  // no code: the address comes last
        {"browser --new %U", Words{"browser", "--new", url}},
        {"rec --url=%u", Words{"rec", "--url=" + url}},  // inside a word: one argument
        {"rec \"--url=%u\"", Words{"rec", "--url=" + url}},
        {"browser %u %f %U", Words{"browser", url}},  // the address once
        {"browser %i --name %c --entry %k",
         Words{"browser", "--icon", "web", "--name", "Web Reader", "--entry", file, url}},
        {"browser 100%% %d %D %n %N %v %m %u", Words{"browser", "100%", url}},
        {"\"/opt/My Browser/run\" %u", Words{"/opt/My Browser/run", url}},
        {"/usr/bin/100%%-browser %u", Words{"/usr/bin/100%-browser", url}},
        // No program: an empty one, the address, the entry's file or its name as the program;
        // a quote never closed.
        {"\"\" %u", none}, {"%u", none}, {"%U --flag", none}, {"%k", none}, {"%c", none},
        {"/bin/%c", none}, {"%i browser", none}, {"browser \"%u", none}, {"", none},
        // clang-format on
    };
    for (const auto& [exec, command] : rows)
        EXPECT_EQ(execCommand(exec, url, entry, file), command) << exec;
}

// Only the Run key's string value "Orvane" (names ignore case) is served. On, off, on again,
// and program paths that need quoting; each entry must pass the desktop's own validator, and
// GLib, which starts it in most sessions (GNOME, Xfce, Cinnamon, ...), must start a program
// whose path holds a percent sign or a space. Then entries as others wrote them, the
// system's among them.
TEST(AutostartBackend, ServesOnlyTheRunValueWhoseEntriesRoundTripAndStart) {
    const auto sh = [](const std::string& command) { return std::system(command.c_str()) == 0; };
    const bool validator = sh("command -v desktop-file-validate >/dev/null");
    const bool gio = sh("command -v gio >/dev/null");
    TempDir dir;
    AutostartBackend b(dir / "new/autostart", {dir / "etc1/autostart", dir / "etc2/autostart"});
    for (const char* key : {"software\\microsoft\\windows\\currentversion\\run",
                            "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"}) {
        EXPECT_TRUE(b.keyExists(key)) << key;
        EXPECT_EQ(read(b, key, "orvane"), "<absent>") << key;
    }
    EXPECT_FALSE(b.keyExists("Software\\Merrowin\\Orvane"));
    EXPECT_FALSE(b.setValue(kRun, "Other", sz("/bin/true")));
    EXPECT_FALSE(b.setValue("Software\\Merrowin", "Orvane", sz("/bin/true")));
    EXPECT_FALSE(b.setValue(kRun, "Orvane", RegValue{4, {1, 0, 0, 0}}));
    EXPECT_FALSE(exists(b.location()));
    // Programs that note where they were started from.
    const std::string started = dir / "started";
    for (const std::string folder : {"plain", "My Apps", "100%"}) {
        fs::create_directories(dir / folder);
        writeText(dir / folder + "/orvane", "#!/bin/sh\necho \"$0\" >>'" + started + "'\n");
        ::chmod((dir / folder + "/orvane").c_str(), 0755);
    }
    for (const std::string& path :
         {dir / "plain/orvane", ""s, dir / "My Apps/orvane", "/a/b$c`d\"e\\f'g"s,
          dir / "100%/orvane", "/tab\there"s, "/üñí/orvane"s}) {
        ASSERT_TRUE(b.setValue(kRun, "Orvane", sz(path))) << path;
        EXPECT_EQ(read(b), path);
        const std::string entry = readText(b.location());
        if (path.empty()) {
            EXPECT_NE(entry.find("\nHidden=true\n"), std::string::npos) << entry;
            EXPECT_EQ(entry.find("plain"), std::string::npos) << entry;
        } else {
            EXPECT_EQ(entry.find("Hidden"), std::string::npos) << entry;
        }
        EXPECT_EQ(modeOf(b.location()), 0644u);
        if (validator && path.find('\t') == std::string::npos) {
            EXPECT_TRUE(sh("desktop-file-validate '" + b.location() + "' >&2")) << entry;
        }
        if (gio && exists(path)) {
            EXPECT_TRUE(sh("gio launch '" + b.location() + "' >&2")) << entry;
            for (int i = 0; i < 100 && readText(started).find(path) == std::string::npos; ++i)
                ::usleep(50000);
            EXPECT_NE(readText(started).find(path), std::string::npos) << entry;
        }
    }
    EXPECT_EQ(AutostartBackend::execLine("/usr/bin/orvane"), "/usr/bin/orvane");
    EXPECT_EQ(AutostartBackend::execLine("/opt/My App/orvane"), "\"/opt/My App/orvane\"");
    EXPECT_EQ(AutostartBackend::execLine("/x/100%/orvane"), "env /x/100%%/orvane");

    // A path that is not UTF-8 cannot stand in a desktop entry: nothing is written, and the
    // entry there stays as it was (on, here).
    ASSERT_TRUE(b.setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
    for (const std::string bad :
         {"/opt/\xff/orvane", "/opt/\xc0\xafx", "/opt/\xed\xa0\x80", "/opt/caf\xc3"}) {
        EXPECT_FALSE(b.setValue(kRun, "Orvane", sz(bad)));
        EXPECT_EQ(read(b), "/usr/bin/orvane");
    }

    // Entries as a user or another tool may have written them.
    const std::string e = "[Desktop Entry]\n", bin = "/usr/bin/orvane";
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        {e + "Exec=/usr/bin/orvane --tray %U\n", bin}, {e + "Exec=\"/a\\\\\\\\b\"", "/a\\b"},
        {e + "Exec=env \"/opt/a%%b/orvane\"\n", "/opt/a%b/orvane"},
        {e + "Exec = \"/opt/a b/orvane\" --x\n", "/opt/a b/orvane"}, {"\x01\x02 garbage", ""},
        {e + "Exec=/usr/bin/orvane\nHidden=true\n", ""}, {"[Other]\nExec=/usr/bin/orvane\n", ""},
        {"[Desktop Entry]\r\nHidden=false\r\nExec=/usr/bin/orvane\r\n", bin},
        {e + "Exec=/usr/bin/orvane\n[Desktop Action x]\nHidden=true\n", bin},
        // clang-format on
    };
    for (const auto& [content, want] : cases) {
        writeText(b.location(), content);
        EXPECT_EQ(read(b), want) << content;
    }
    EXPECT_EQ(read(b, kRun, "Other"), "<absent>");
    ::unlink(b.location().c_str());
    EXPECT_EQ(read(b), "<absent>");

    // The XDG autostart rules: the user's own entry takes effect over the system's, whose
    // folders count in order; the system's are never written.
    const auto system = [&](const char* folder, const char* exec) {
        fs::create_directories(dir / folder);
        writeText(dir / folder + "/orvane.desktop",
                  std::string("[Desktop Entry]\nExec=") + exec + "\n");
    };
    system("etc2/autostart", "/usr/bin/second");
    EXPECT_EQ(read(b), "/usr/bin/second");
    system("etc1/autostart", "/usr/bin/first");
    EXPECT_EQ(read(b), "/usr/bin/first");
    const std::string systemEntry = readText(dir / "etc1/autostart/orvane.desktop");
    ASSERT_TRUE(b.setValue(kRun, "Orvane", sz("/opt/orvane")));
    EXPECT_EQ(read(b), "/opt/orvane");
    EXPECT_EQ(readText(dir / "etc1/autostart/orvane.desktop"), systemEntry);
    ::unlink(b.location().c_str());
    EXPECT_EQ(read(b), "/usr/bin/first");

    // A write that fails says so and changes nothing: a file where the folder should be, a
    // folder where the entry should be.
    writeText(dir / "file", "not a folder");
    AutostartBackend underFile(dir / "file/autostart", {}), blocked(dir.path(), {});
    fs::create_directory(blocked.location());
    for (AutostartBackend* failing : {&underFile, &blocked}) {
        EXPECT_FALSE(failing->setValue(kRun, "Orvane", sz("/usr/bin/orvane")));
        EXPECT_EQ(read(*failing), "<absent>");
    }
    EXPECT_EQ(readText(dir / "file"), "not a folder");
    EXPECT_TRUE(fs::is_directory(blocked.location()));
}

TEST(SingleInstanceLock, OneHolderAtATimeAKilledHolderLetsGoAndPlantedFilesAreNotUsed) {
    TempDir dir;
    const std::string path = dir / "orvane.lock";
    auto first = std::make_unique<SingleInstanceLock>(path);
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire()) << "asking again keeps the lock";
    SingleInstanceLock second(path);
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());

    // Held by another process, and let go when that process is killed, its file left behind.
    const std::string other = dir / "other.lock";
    int held[2];
    ASSERT_EQ(::pipe(held), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceLock lock(other);
        if (lock.acquire() && ::write(held[1], "y", 1) == 1) ::pause();
        ::_exit(1);
    }
    ::close(held[1]);
    char got = 0;
    ASSERT_EQ(::read(held[0], &got, 1), 1) << "the other process did not get the lock";
    ::close(held[0]);
    EXPECT_FALSE(SingleInstanceLock(other).acquire());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(exists(other));
    EXPECT_TRUE(SingleInstanceLock(other).acquire());

    // A symlink planted at the lock path is neither followed nor held against us.
    const std::string target = dir / "target";
    ASSERT_EQ(::symlink(target.c_str(), (dir / "link.lock").c_str()), 0);
    EXPECT_TRUE(SingleInstanceLock(dir / "link.lock").acquire());
    EXPECT_FALSE(exists(target));
    // An unusable location does not keep the program from starting.
    EXPECT_TRUE(SingleInstanceLock(dir / "missing/dir/orvane.lock").acquire());
}

}  // namespace
}  // namespace orvane::test
