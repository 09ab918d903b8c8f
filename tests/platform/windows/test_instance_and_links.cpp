// The one-copy rule across two processes, and links handed to the handler of their scheme
// as Wine's registry has it: one made here, none at all, and one whose program is gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <process.h>

#include <cstdio>
#include <fstream>

#include "platform/windows/named_mutex.h"
#include "platform/windows/shell_link_opener.h"
#include "support/test_support.h"

namespace orvane::test {
namespace {

std::string programPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// This test program run again for `name` (see its main): its exit code.
intptr_t runInstance(const std::string& name) {
    const std::string path = programPath();
    return _spawnl(_P_WAIT, path.c_str(), ("\"" + path + "\"").c_str(), "--instance", name.c_str(),
                   nullptr);
}

TEST(NamedMutex, OneCopyAtATimeAcrossProcesses) {
    const std::string name = "Local\\orvane-test-" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(runInstance(name), 0) << "alone, a copy runs";
    {
        NamedMutex first(name);
        ASSERT_TRUE(first.acquire());
        EXPECT_TRUE(first.acquire()) << "asking again keeps it";
        EXPECT_FALSE(NamedMutex(name).acquire()) << "a second copy in the same process";
        EXPECT_EQ(runInstance(name), 1) << "a second copy in another process";
    }
    EXPECT_EQ(runInstance(name), 0) << "once the first copy has ended";
}

TEST(LinkOpener, SchemeOfAnAddress) {
    const std::pair<const char*, const char*> addressesAndSchemes[] = {
        {"https://merrowin.example/orvane", "https"},
        {"mailto:support@merrowin.example", "mailto"},
        {"x-probe+v1.2:z", "x-probe+v1.2"},
        {"C:\\temphtm.HTM", ""},
        {"1http://x", ""},
        {"ht tp://x", ""},
        {"", ""}};
    for (const auto& [address, scheme] : addressesAndSchemes)
        EXPECT_EQ(ShellLinkOpener::schemeOf(address), scheme) << address;
}

// Registers `scheme`, opened by `command`. In the classes root itself: Wine's association
// lookup does not see the per-user classes that Windows merges into it.
void registerScheme(const std::string& scheme, const std::string& command) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, scheme.c_str(), "URL Protocol", REG_SZ, "", 1),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetKeyValueA(HKEY_CLASSES_ROOT, (scheme + "\\shell\\open\\command").c_str(), nullptr,
                        REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1)),
        ERROR_SUCCESS);
}

// The handler of the scheme gets the address whole; no handler, or one that cannot start, is
// told apart.
TEST(LinkOpener, HandlerOfTheSchemeOrNone) {
    const std::string out = programPath() + ".probe";
    std::remove(out.c_str());
    registerScheme("orvane-probe", "\"" + programPath() + "\" --probe \"" + out + "\" \"%1\"");
    registerScheme("orvane-gone", "\"C:\\nowhere\\gone-browser.exe\" \"%1\"");
    ShellLinkOpener links;
    ASSERT_EQ(links.open("orvane-probe://merrowin.example/a b?x=1&y=\"2\""),
              LinkOpenResult::Opened);
    // The handler is this program again (see its main), a separate process: up to 20 s.
    for (int i = 0; i < 200 && !std::ifstream(out); ++i) Sleep(100);
    const std::string got = readText(out);
    EXPECT_NE(got.find("orvane-probe://merrowin.example/a b?x=1&y="), std::string::npos) << got;
    EXPECT_EQ(links.open("orvane-nobody://merrowin.example/"), LinkOpenResult::NoHandler);
    EXPECT_EQ(links.open("not an address"), LinkOpenResult::NoHandler);
    EXPECT_EQ(links.open("orvane-gone://merrowin.example/"), LinkOpenResult::Failed);
    std::remove(out.c_str());
}

}  // namespace
}  // namespace orvane::test
