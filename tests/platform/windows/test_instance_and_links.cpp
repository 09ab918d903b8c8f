// The one-copy rule across two processes, and links handed to the handler of their scheme
// as Wine's registry has it: one made here, none at all, and one whose program is gone. Then
// the Windows tests' main, which also plays the other processes these tests start:
//   --instance NAME: exit 0 when it got the instance, 1 when another copy holds it;
//   --probe FILE ADDRESS: stands in for a browser, the handler of the link test's scheme.
#include <gtest/gtest.h>
#include <windows.h>

#include <process.h>

#include <cstdio>
#include <cstring>
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

// This test program run again for `name` (see main below): its exit code.
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
        // clang-format off
        {"https://merrowin.example/orvane", "https"}, {"mailto:support@merrowin.example", "mailto"},
        {"x-probe+v1.2:z", "x-probe+v1.2"}, {"C:\\temphtm.HTM", ""}, {"1http://x", ""},
        {"ht tp://x", ""}, {"", ""},
        // clang-format on
    };
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

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--instance") == 0)
        return orvane::NamedMutex(argv[2]).acquire() ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "--probe") == 0) {
        const std::string out = argv[2], partial = out + ".part";
        std::ofstream(partial) << argv[3] << '\n';
        // Whole or not at all, for the test that waits for it.
        return MoveFileExA(partial.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
