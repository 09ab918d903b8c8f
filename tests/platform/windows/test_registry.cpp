// The settings store on the real registry: the contract every backend keeps, with scratch
// keys standing for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; the start-up list's path form;
// and the backends the program itself uses, in Wine's throw-away registry.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/store/settings_store.h"
#include "fakes/fakes.h"
#include "platform/services.h"
#include "platform/settings_backend_contract.h"
#include "platform/windows/registry_backend.h"
#include "platform/windows/startup_list_backend.h"

namespace orvane::test {
namespace {

// The backends over keys standing for the two roots, below a key under HKEY_CURRENT_USER of
// this test's own that goes with everything under it (one set of backends at a time).
struct RegistryBackends : BackendsUnderTest {
    const std::string path = "Software\\OrvaneTests\\" + std::to_string(GetCurrentProcessId());
    HKEY userRoot = make("HKCU"), machineRoot = make("HKLM");
    RegistryBackend user_{userRoot, "HKEY_CURRENT_USER"};
    StartupListBackend machine_{userRoot, machineRoot};

    ~RegistryBackends() override {
        RegCloseKey(userRoot);
        RegCloseKey(machineRoot);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    SettingsBackend& user() override { return user_; }
    SettingsBackend& machine() override { return machine_; }
    void plantUserValue(const std::string& k, const std::string& n, const RegValue& v) override {
        plant(userRoot, k, n, v);
    }
    void plantMachineValue(const std::string& k, const std::string& n, const RegValue& v) override {
        plant(machineRoot, k, n, v);
    }
    void deleteUserKey(const std::string& key) override {
        ASSERT_EQ(RegDeleteTreeA(userRoot, key.c_str()), ERROR_SUCCESS);
    }
    // As regedit would: the raw type and bytes, straight through the API.
    static void plant(HKEY root, const std::string& key, const std::string& name,
                      const RegValue& v) {
        EXPECT_EQ(RegSetKeyValueA(root, key.c_str(), name.c_str(), v.type, v.data.data(),
                                  static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS);
    }
    HKEY make(const std::string& name) {
        HKEY k = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, (path + "\\" + name).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return k;
    }
};

INSTANTIATE_TEST_SUITE_P(Registry, SettingsBackendContract,
                         testing::Values(&makeBackends<RegistryBackends>));

TEST(StartupList, PathFormIsFolderBaseNameAndExeInCapitalsQuoted) {
    const std::pair<const char*, const char*> modulesAndValues[] = {
        {"C:\\Program Files\\Orvane\\orvane.exe", "\"C:\\Program Files\\Orvane\\orvane.EXE\""},
        {"C:\\Tools\\Orvane.EXE", "\"C:\\Tools\\Orvane.EXE\""},
        {"C:\\a.b\\prog.v2.exe", "\"C:\\a.b\\prog.v2.EXE\""},
        {"C:\\bin\\orvane", "\"C:\\bin\\orvane.EXE\""},
        {"\\\\server\\share\\orvane.exe", "\"\\\\server\\share\\orvane.EXE\""}};
    for (const auto& [module, value] : modulesAndValues)
        EXPECT_EQ(StartupListBackend::startupValue(module), value) << module;
}

// A REG_SZ value under HKEY_CURRENT_USER as stored (its raw form is the contract's).
std::string stored(const char* key, const char* name) {
    char text[MAX_PATH + 4] = {};
    DWORD size = sizeof text;
    const LSTATUS read =
        RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return read == ERROR_SUCCESS ? text : "<unreadable>";
}

// The program's own backends on the real roots, inside Wine's throw-away prefix.
TEST(Services, StoreAndStartupListLiveInTheUsersRegistry) {
    PlatformServices s = makePlatformServices();
    SettingsStore store(*s.userStore, *s.machineStore);
    store.EnsureKeys();
    ASSERT_TRUE(store.save(Setting::X, "1500"));
    EXPECT_EQ(stored("Software\\Merrowin\\Orvane\\Window", "X"), "1500");
    ASSERT_NE(s.programPath.find("windows_tests.EXE\""), std::string::npos) << s.programPath;
    EXPECT_EQ(s.programPath.front(), '"');
    ASSERT_TRUE(store.save(Setting::StartWithDesktop, s.programPath));
    EXPECT_EQ(stored("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Orvane"), s.programPath);
    ASSERT_TRUE(store.save(Setting::StartWithDesktop, ""));
    EXPECT_EQ(store.get(Setting::StartWithDesktop), SettingValue::text(""));
}

}  // namespace
}  // namespace orvane::test
