#include "settings_backend_contract.h"

#include <functional>

#include "core/store/settings_store.h"
#include "fakes/fakes.h"
#include "support/test_support.h"

namespace orvane::test {
namespace {

const std::string kWindow(keys::kWindow);
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
    {"no product key: every value reads absent and no write makes a key; EnsureKeys makes the "
     "three keys with their parents, and writes then hold",
     false,
     [](Rig& r) {
         for (const SettingInfo& s : kSettings) {
             if (s.hive == Hive::CurrentUser) {
                 EXPECT_TRUE(r.get(s.id).isAbsent()) << s.name;
             }
         }
         EXPECT_FALSE(r.store.save(Setting::Display, "1"));
         EXPECT_FALSE(r.b->user().keyExists(kWindow));
         EXPECT_FALSE(r.b->user().keyExists(std::string(keys::kProduct)));
         r.store.EnsureKeys();
         for (const char* k : {"Software", "Software\\Merrowin", "software\\MERROWIN\\orvane"})
             EXPECT_TRUE(r.b->user().keyExists(k)) << k;
         ASSERT_TRUE(r.store.save(Setting::Display, "1"));
         r.store.EnsureKeys();
         EXPECT_EQ(r.get(Setting::Display), text("1")) << "a second EnsureKeys keeps values";
     }},
    {"an empty string is one NUL byte and reads as empty text", true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(Setting::X, ""));
         const auto raw = r.b->user().queryValue(kWindow, "X");
         EXPECT_TRUE(raw && raw->type == 1u && raw->data == std::vector<std::uint8_t>{0});
         EXPECT_EQ(r.get(Setting::X), text(""));
     }},
    {"values set by another program read at once, nothing being cached: a REG_DWORD as its "
     "number, a string without its NUL cut short, other types as absent",
     true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(Setting::Display, "1"));
         const std::pair<RegValue, SettingValue> planted[] = {
             // clang-format off
             {sz("2"), text("2")}, {{4, {1, 0, 0, 0}}, SettingValue::number(1)},
             {{4, {0xfb, 0xff, 0xff, 0xff}}, SettingValue::number(-5)},
             {{1, {'1', '2'}}, text("1")},
             {{2, {'1', 0}}, {}}, {{3, {'1', 0}}, {}},  // REG_EXPAND_SZ, REG_BINARY
             // clang-format on
         };
         for (const auto& [value, want] : planted) {
             r.b->plantUserValue(kWindow, "Display", value);
             EXPECT_EQ(r.get(Setting::Display), want) << "type " << value.type;
         }
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
    {"a commit writes every value in order, names ignore case, and the user's values never mix "
     "with the start-up list in one (nothing is written)",
     true,
     [](Rig& r) {
         ASSERT_TRUE(r.store.save(
             {{Setting::Data, "1.8"}, {Setting::Count, "10"}, {Setting::Data, "2.5"}}));
         EXPECT_EQ(r.get(Setting::Data), text("2.5"));
         EXPECT_EQ(SettingsStore::ReadValue(
                       r.b->user().queryValue("SOFTWARE\\merrowin\\Orvane\\SETTING", "count")),
                   text("10"));
         EXPECT_FALSE(r.store.save({{Setting::X, "1"}, {Setting::StartWithDesktop, "C:\\O.EXE"}}));
         EXPECT_FALSE(r.store.save({{Setting::StartWithDesktop, "C:\\O.EXE"}, {Setting::X, "1"}}));
         EXPECT_TRUE(r.get(Setting::X).isAbsent());
         EXPECT_TRUE(r.get(Setting::StartWithDesktop).toText().empty());
     }},
    {"the start-up list: off until written; a machine-wide entry shows as on; the path while on; "
     "an empty string when off, which masks the machine-wide entry for this user",
     false,
     [](Rig& r) {
         EXPECT_TRUE(r.get(Setting::StartWithDesktop).toText().empty());
         r.b->plantMachineValue(kRun, "Orvane", sz("C:\\Orvane\\ORVANE.EXE"));
         EXPECT_FALSE(r.get(Setting::StartWithDesktop).toText().empty());
         ASSERT_TRUE(r.store.save(Setting::StartWithDesktop, "C:\\Orvane\\ORVANE.EXE"));
         EXPECT_EQ(r.get(Setting::StartWithDesktop), text("C:\\Orvane\\ORVANE.EXE"));
         EXPECT_TRUE(r.get(Setting::Display).isAbsent())
             << "the start-up list is not the user's key";
         ASSERT_TRUE(r.store.save(Setting::StartWithDesktop, ""));
         EXPECT_EQ(r.get(Setting::StartWithDesktop), text(""));
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
