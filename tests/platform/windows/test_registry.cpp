// The settings store on the real registry: the contract every backend keeps, with scratch
// keys standing for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; the start-up list's path form;
// and the backends the program itself uses, in Wine's throw-away registry.
#include <gtest/gtest.h>

#include "core/store/settings_store.h"
#include "fakes/fakes.h"
#include "platform/services.h"
#include "platform/settings_backend_contract.h"
#include "platform/windows/registry_backend.h"
#include "platform/windows/startup_list_backend.h"
#include "windows_test_support.h"

namespace orvane::test {
namespace {

class RegistryBackends : public BackendsUnderTest {
public:
    SettingsBackend& user() override { return user_; }
    SettingsBackend& machine() override { return machine_; }
    void plantUserValue(const std::string& key, const std::string& name,
                        const RegValue& v) override {
        plant(userRoot_, key, name, v);
    }
    void plantMachineValue(const std::string& key, const std::string& name,
                           const RegValue& v) override {
        plant(machineRoot_, key, name, v);
    }
    void deleteUserKey(const std::string& key) override {
        ASSERT_EQ(RegDeleteTreeA(userRoot_, key.c_str()), ERROR_SUCCESS);
        ASSERT_NE(RegOpenKeyExA(userRoot_, key.c_str(), 0, KEY_READ, &probe_), ERROR_SUCCESS)
            << "still there";
    }

private:
    // As regedit would: the raw type and bytes, straight through the API.
    static void plant(HKEY root, const std::string& key, const std::string& name,
                      const RegValue& v) {
        HKEY k = nullptr;
        ASSERT_EQ(
            RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(k, name.c_str(), 0, v.type, v.data.data(),
                                 static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(k);
    }

    HKEY probe_ = nullptr;
    ScratchKey scratch_;
    HKEY userRoot_ = scratch_.sub("HKCU");
    HKEY machineRoot_ = scratch_.sub("HKLM");
    RegistryBackend user_{userRoot_, "HKEY_CURRENT_USER"};
    StartupListBackend machine_{userRoot_, machineRoot_};
};

std::unique_ptr<BackendsUnderTest> makeRegistryBackends() {
    return std::make_unique<RegistryBackends>();
}

INSTANTIATE_TEST_SUITE_P(Registry, SettingsBackendContract, testing::Values(&makeRegistryBackends));

TEST(StartupList, PathFormIsFolderBaseNameAndExeInCapitalsQuoted) {
    const struct {
        const char* module;
        const char* value;
    } cases[] = {
        {"C:\\Program Files\\Orvane\\orvane.exe", "\"C:\\Program Files\\Orvane\\orvane.EXE\""},
        {"C:\\Tools\\Orvane.EXE", "\"C:\\Tools\\Orvane.EXE\""},
        {"C:\\a.b\\prog.v2.exe", "\"C:\\a.b\\prog.v2.EXE\""},
        {"C:\\bin\\orvane", "\"C:\\bin\\orvane.EXE\""},
        {"\\\\server\\share\\orvane.exe", "\"\\\\server\\share\\orvane.EXE\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartupListBackend::startupValue(c.module), c.value) << c.module;
}

// The program's own backends on the real roots, inside Wine's throw-away prefix.
TEST(Services, StoreAndStartupListLiveInTheUsersRegistry) {
    PlatformServices s = makePlatformServices();
    SettingsStore store(*s.userStore, *s.machineStore);
    store.EnsureKeys();
    ASSERT_TRUE(store.save(Setting::X, "1500"));
    EXPECT_EQ(store.get(Setting::X), SettingValue::text("1500"));
    HKEY k = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Merrowin\\Orvane\\Window", 0, KEY_READ, &k),
        ERROR_SUCCESS);
    char text[16] = {};
    DWORD size = sizeof text, type = 0;
    EXPECT_EQ(RegQueryValueExA(k, "X", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, "1500");
    EXPECT_EQ(size, 5u);
    RegCloseKey(k);

    ASSERT_FALSE(s.programPath.empty());
    EXPECT_EQ(s.programPath.front(), '"');
    EXPECT_NE(s.programPath.find("windows_tests.EXE\""), std::string::npos) << s.programPath;
    ASSERT_TRUE(store.save(Setting::StartWithDesktop, s.programPath));
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            0, KEY_READ, &k),
              ERROR_SUCCESS);
    char value[MAX_PATH + 4] = {};
    size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(k, "Orvane", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(s.programPath, value);
    RegCloseKey(k);
    ASSERT_TRUE(store.save(Setting::StartWithDesktop, ""));
    EXPECT_EQ(store.get(Setting::StartWithDesktop), SettingValue::text(""));
}

}  // namespace
}  // namespace orvane::test
