#include "settings_backend_contract.h"

#include <functional>

#include "core/store/settings_store.h"
#include "fakes/fakes.h"
#include "support/test_support.h"

namespace orvane::test {
namespace {

const std::string kWindow(keys::kWindow);
const std::string kSetting(keys::kSetting);
const std::string kRun(keys::kRun);

struct Rig {
    std::unique_ptr<BackendsUnderTest> b;
    SettingsStore store;
    explicit Rig(BackendsFactory make) : b(make()), store(b->user(), b->machine()) {}
    SettingValue get(Setting s) { return store.get(s); }
};

struct Case {
    const char* what;
    bool keys;  // whether the store's keys are made first
    std::function<void(Rig&)> run;
};

const auto text = &SettingValue::text;

// The store's rules for each edge of the registry, on any backend.
const Case kCases[] = {
    {"no product key: every value reads absent and no write makes a key", false,
     [](Rig& r) {
         for (const SettingInfo& s : kSettings) {
             if (s.hive == Hive::CurrentUser) {
                 EXPECT_TRUE(r.get(s.id).isAbsent()) << s.name;
             }
         }
         EXPECT_FALSE(r.store.save(Setting::Display, "1"));
         EXPECT_FALSE(r.b->user().keyExists(kWindow));
         EXPECT_FALSE(r.b->user().keyExists(std::string(keys::kProduct)));
     }},
    {"EnsureKeys makes the three keys with their parents, and writes then hold", true,
     [](Rig& r) {
         for (const char* k : {"Software", "Software\\Merrowin", "software\\MERROWIN\\orvane"})
             EXPECT_TRUE(r.b->user().keyExists(k)) << k;
         ASSERT_TRUE(r.store.save(Setting::Display, "1"));
         EXPECT_EQ(r.get(Setting::Display), text("1"));
         r.store.EnsureKeys();
         EXPECT_EQ(r.get(Setting::Display), text("1")) << "a second EnsureKeys keeps values";
     }},
    {"an empty string is one NUL byte and reads as empty text", true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(Setting::X, ""));
         const auto raw = r.b->user().queryValue(kWindow, "X");
         ASSERT_TRUE(raw);
         EXPECT_EQ(raw->type, 1u);
         EXPECT_EQ(raw->data, std::vector<std::uint8_t>{0});
         EXPECT_EQ(r.get(Setting::X), text(""));
     }},
    {"a REG_DWORD set by hand reads as its number, negative ones too", true,
     [](Rig& r) {
         r.b->plantUserValue(kWindow, "Display", RegValue{4, {1, 0, 0, 0}});
         EXPECT_EQ(r.get(Setting::Display), SettingValue::number(1));
         r.b->plantUserValue(kSetting, "Count", RegValue{4, {0xfb, 0xff, 0xff, 0xff}});
         EXPECT_EQ(r.get(Setting::Count), SettingValue::number(-5));
     }},
    {"other types read as absent", true,
     [](Rig& r) {
         r.b->plantUserValue(kWindow, "Display", RegValue{2, {'1', 0}});
         EXPECT_TRUE(r.get(Setting::Display).isAbsent()) << "REG_EXPAND_SZ";
         r.b->plantUserValue(kWindow, "Display", RegValue{3, {'1', 0}});
         EXPECT_TRUE(r.get(Setting::Display).isAbsent()) << "REG_BINARY";
     }},
    {"a string without its NUL loses its last character", true,
     [](Rig& r) {
         r.b->plantUserValue(kWindow, "Display", RegValue{1, {'1', '2'}});
         EXPECT_EQ(r.get(Setting::Display), text("1"));
     }},
    {"the Window key removed while running: writes fail until EnsureKeys makes it again", true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(Setting::X, "150"));
         ASSERT_TRUE(r.store.save(Setting::FirstUse, "1"));
         r.b->deleteUserKey(kWindow);
         EXPECT_TRUE(r.get(Setting::X).isAbsent());
         EXPECT_FALSE(r.store.save(Setting::Display, "1"));
         EXPECT_FALSE(r.store.save({{Setting::X, "1"}, {Setting::Y, "2"}})) << "a commit into it";
         r.store.EnsureKeys();
         ASSERT_TRUE(r.store.save(Setting::Display, "1"));
         EXPECT_EQ(r.get(Setting::Display), text("1"));
         EXPECT_TRUE(r.get(Setting::X).isAbsent());
         EXPECT_EQ(r.get(Setting::FirstUse), text("1")) << "the Setting key kept";
     }},
    {"a commit writes every value in order, and names ignore case", true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(
             {{Setting::Data, "1.8"}, {Setting::Count, "10"}, {Setting::Data, "2.5"}}));
         EXPECT_EQ(r.get(Setting::Data), text("2.5"));
         EXPECT_EQ(r.get(Setting::Count), text("10"));
         EXPECT_EQ(SettingsStore::ReadValue(
                       r.b->user().queryValue("SOFTWARE\\merrowin\\Orvane\\SETTING", "count")),
                   text("10"));
     }},
    {"a commit never mixes the user's values with the start-up list: nothing is written", true,
     [](Rig& r) {
         EXPECT_FALSE(r.store.save({{Setting::X, "1"}, {Setting::StartWithDesktop, "C:\\O.EXE"}}));
         EXPECT_FALSE(r.store.save({{Setting::StartWithDesktop, "C:\\O.EXE"}, {Setting::X, "1"}}));
         EXPECT_TRUE(r.get(Setting::X).isAbsent());
         EXPECT_TRUE(r.get(Setting::StartWithDesktop).toText().empty());
     }},
    {"nothing is cached: a value changed by another program reads at once", true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(Setting::Y, "1"));
         r.b->plantUserValue(kWindow, "Y", sz("2"));
         EXPECT_EQ(r.get(Setting::Y), text("2"));
     }},
    {"the start-up list: off until written, the path while on, an empty string when off", false,
     [](Rig& r) {
         EXPECT_TRUE(r.get(Setting::StartWithDesktop).toText().empty());
         ASSERT_TRUE(r.store.save(Setting::StartWithDesktop, "C:\\Orvane\\ORVANE.EXE"));
         EXPECT_EQ(r.get(Setting::StartWithDesktop), text("C:\\Orvane\\ORVANE.EXE"));
         ASSERT_TRUE(r.store.save(Setting::StartWithDesktop, ""));
         EXPECT_EQ(r.get(Setting::StartWithDesktop), text(""));
         EXPECT_TRUE(r.get(Setting::Display).isAbsent())
             << "the start-up list is not the user's key";
     }},
    {"a machine-wide entry shows as on, and switching off masks it for this user", false,
     [](Rig& r) {
         r.b->plantMachineValue(kRun, "Orvane", sz("C:\\Orvane\\ORVANE.EXE"));
         EXPECT_EQ(r.get(Setting::StartWithDesktop).toText().empty(), false);
         r.store.save(Setting::StartWithDesktop, "");
         EXPECT_TRUE(r.get(Setting::StartWithDesktop).toText().empty());
     }},
};

TEST_P(SettingsBackendContract, EveryEdgeOfTheStore) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Rig r(GetParam());
        if (c.keys) r.store.EnsureKeys();
        c.run(r);
    }
}

}  // namespace
}  // namespace orvane::test
