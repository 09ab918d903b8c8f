#include "shell/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/linux/autostart_backend.h"
#include "platform/linux/reg_file_backend.h"
#include "store_test_util.h"

using namespace orvane;
using namespace orvane::testutil;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kWindowSection = "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Window]\n";
const std::string kSettingSection = "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Setting]\n";

// The store over real files in a fresh folder.
struct Fixture {
    TempDir dir;
    RegFileBackend user{dir / "Merrowin/Orvane.reg"};
    AutostartBackend machine{dir / "autostart"};
    SettingsStore store{user, machine};
    std::string file() const { return user.location(); }
};

TEST(SettingsStoreOnFile, SavesAndReadsBackThroughTheTable) {
    Fixture f;
    EXPECT_FALSE(f.store.save(Setting::CompactX, "7680")) << "keys do not exist yet";
    f.store.EnsureKeys();
    EXPECT_TRUE(f.store.save(Setting::CompactX, "7680"));
    EXPECT_TRUE(f.store.save(Setting::AlwaysOnTop, "1"));
    EXPECT_TRUE(f.store.save(Setting::Data, "a \"b\" \\c ü"));
    EXPECT_TRUE(f.store.save(Setting::LowBattVal, ""));
    EXPECT_TRUE(f.store.SaveUserValue(std::string(keys::kSetting), "Count", "-5", RegType::DWord));

    EXPECT_EQ(f.store.get(Setting::CompactX), SettingValue::text("7680"));
    EXPECT_EQ(f.store.get(Setting::AlwaysOnTop), SettingValue::text("1"));
    EXPECT_EQ(f.store.get(Setting::Data), SettingValue::text("a \"b\" \\c ü"));
    EXPECT_EQ(f.store.get(Setting::LowBattVal), SettingValue::text("")) << "empty is not absent";
    EXPECT_EQ(f.store.get(Setting::Count), SettingValue::number(-5));
    EXPECT_TRUE(f.store.get(Setting::X).isAbsent());

    const std::string text = readText(f.file());
    EXPECT_NE(text.find(kWindowSection + "\"CompactX\"=\"7680\"\n\"Always On Top\"=\"1\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Count\"=dword:fffffffb\n"), std::string::npos) << text;

    EXPECT_TRUE(f.store.save(Setting::StartWithDesktop, "/usr/bin/orvane"));
    EXPECT_EQ(f.store.get(Setting::StartWithDesktop), SettingValue::text("/usr/bin/orvane"));
    EXPECT_TRUE(f.store.save(Setting::StartWithDesktop, ""));
    EXPECT_EQ(f.store.get(Setting::StartWithDesktop), SettingValue::text(""));
    EXPECT_EQ(f.store.machineLocation(), f.dir / "autostart/orvane.desktop");
}

TEST(SettingsStoreOnFile, ReadsHandWrittenValuesByTheRegistryRules) {
    struct Case {
        const char* line;
        SettingValue expected;
    };
    const Case cases[] = {
        {"\"Display\"=dword:00000001", SettingValue::number(1)},
        {"\"Display\"=dword:ffffffff", SettingValue::number(-1)},
        {"\"Display\"=hex(4):01,00,00,00", SettingValue::number(1)},
        {"\"Display\"=hex(4):01,00", SettingValue()},
        {"\"Display\"=hex(2):31,00", SettingValue()},
        {"\"Display\"=hex:31,00", SettingValue()},
        {"\"Display\"=\"\"", SettingValue::text("")},
        {"\"display\"=\"2\"", SettingValue::text("2")},
        {"\"Display\"=hex(1):61,62", SettingValue::text("a")},
        {"\"Display\"=hex(1):61,62,00", SettingValue::text("ab")},
        {"\"Display\"=hex(1):", SettingValue()},
        {"\"Display\"=-", SettingValue()},
        {"\"Display\"=1", SettingValue()},
    };
    Fixture f;
    ::mkdir((f.dir / "Merrowin").c_str(), 0700);
    for (const Case& c : cases) {
        writeText(f.file(), kHeader + kWindowSection + c.line + "\n");
        EXPECT_EQ(f.store.get(Setting::Display), c.expected) << c.line;
    }
}

TEST(SettingsStoreOnFile, MissingKeysReadAbsentAndComeBackWithEnsureKeys) {
    Fixture f;
    ::mkdir((f.dir / "Merrowin").c_str(), 0700);
    const std::string foreign = kHeader + "[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=\"1\"\n";
    writeText(f.file(), foreign);
    for (const SettingInfo& s : kSettings) {
        if (s.hive == Hive::CurrentUser) {
            EXPECT_TRUE(f.store.get(s.id).isAbsent()) << s.name;
        }
    }
    EXPECT_FALSE(f.store.save(Setting::X, "1"));
    EXPECT_EQ(readText(f.file()), foreign);

    f.store.EnsureKeys();
    ASSERT_TRUE(f.store.save(Setting::X, "1"));
    ASSERT_TRUE(f.store.save(Setting::FirstUse, "1"));
    // The user deletes the Window section by hand; its values go with it.
    std::string text = readText(f.file());
    const std::size_t from = text.find(kWindowSection);
    ASSERT_NE(from, std::string::npos);
    text.erase(from, text.find(kSettingSection) - from);
    writeText(f.file(), text);
    EXPECT_TRUE(f.store.get(Setting::X).isAbsent());
    EXPECT_FALSE(f.store.save(Setting::X, "2"));

    f.store.EnsureKeys();
    EXPECT_TRUE(f.store.save(Setting::X, "2"));
    EXPECT_EQ(f.store.get(Setting::X), SettingValue::text("2"));
    EXPECT_EQ(f.store.get(Setting::FirstUse), SettingValue::text("1"));
    EXPECT_NE(readText(f.file()).find("[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=\"1\"\n"),
              std::string::npos);
}

}  // namespace
