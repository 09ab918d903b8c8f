// The one-copy rule across two processes, and links handed to the handler of their scheme
// as Wine's registry has it: one made here, none at all, and one whose program is gone.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/windows/named_mutex.h"
#include "platform/windows/shell_link_opener.h"
#include "windows_test_support.h"

namespace orvane::test {
namespace {

TEST(NamedMutex, OneCopyAtATimeAcrossProcesses) {
    const std::string name = "Local\\orvane-test-" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(runSelf("--instance " + name), 0u) << "alone, a copy runs";
    {
        NamedMutex first(name);
        ASSERT_TRUE(first.acquire());
        EXPECT_TRUE(first.acquire()) << "asking again keeps it";
        EXPECT_FALSE(NamedMutex(name).acquire()) << "a second copy in the same process";
        EXPECT_EQ(runSelf("--instance " + name), 1u) << "a second copy in another process";
    }
    EXPECT_EQ(runSelf("--instance " + name), 0u) << "once the first copy has ended";
}

TEST(LinkOpener, SchemeOfAnAddress) {
    const struct {
        const char* address;
        const char* scheme;
    } cases[] = {
        {"https://merrowin.example/orvane", "https"},
        {"mailto:support@merrowin.example", "mailto"},
        {"x-probe+v1.2:z", "x-probe+v1.2"},
        {"C:\\temphtm.HTM", ""},
        {"no scheme", ""},
        {"1http://x", ""},
        {"ht tp://x", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellLinkOpener::schemeOf(c.address), c.scheme) << c.address;
}

// Registers `scheme`, opened by `command`. In the classes root itself: Wine's association
// lookup does not see the per-user classes that Windows merges into it.
void registerScheme(const std::string& scheme, const std::string& command) {
    const std::string key = scheme;
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (key + "\\shell\\open\\command").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(k);
}

std::string waitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {  // the handler is a separate process: up to 20 s
        std::ifstream in(path);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        }
        Sleep(100);
    }
    return "<no file>";
}

TEST(LinkOpener, HandlerOfTheSchemeGetsTheAddressWhole) {
    const std::string out = programFolder() + "link_probe.out";
    std::remove(out.c_str());
    registerScheme("orvane-probe", "\"" + programFolder() + "link_probe.exe\" \"%1\"");
    ShellLinkOpener links;
    const std::string address = "orvane-probe://merrowin.example/a b?x=1&y=\"2\"";
    ASSERT_EQ(links.open(address), LinkOpenResult::Opened);
    const std::string got = waitForFile(out);
    EXPECT_NE(got.find("orvane-probe://merrowin.example/a b?x=1&y="), std::string::npos) << got;
    std::remove(out.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "orvane-probe");
}

TEST(LinkOpener, NoHandlerOrOneThatCannotStart) {
    ShellLinkOpener links;
    EXPECT_EQ(links.open("orvane-nobody://merrowin.example/"), LinkOpenResult::NoHandler);
    EXPECT_EQ(links.open("not an address"), LinkOpenResult::NoHandler);
    registerScheme("orvane-gone", "\"C:\\nowhere\\gone-browser.exe\" \"%1\"");
    EXPECT_EQ(links.open("orvane-gone://merrowin.example/"), LinkOpenResult::Failed);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "orvane-gone");
}

}  // namespace
}  // namespace orvane::test
