// The registry-export document on its own, with no file under it: its grammar as an import
// reads it, its rendering, and edits that leave every line they do not touch as it was.
#include "platform/posix/reg_document.h"

#include <gtest/gtest.h>

#include "core/store/settings_store.h"
#include "fakes/fakes.h"
#include "support/test_support.h"

namespace orvane {

namespace {

using namespace orvane::test;
using namespace std::string_literals;

const std::string kHive = "HKEY_CURRENT_USER\\";
const std::string kWindow = kHive + std::string(keys::kWindow);
const std::string kSetting = kHive + std::string(keys::kSetting);
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[" + kWindow + "]\n";

const auto t = &SettingValue::text;

SettingValue read(const RegDocument& doc, const std::string& key, const std::string& name) {
    return SettingsStore::ReadValue(doc.value(key, name));
}

// A file as regedit writes it: UTF-16LE after a BOM.
std::string utf16File(const std::string& ascii, const std::u16string& rest) {
    std::string out = "\xFF\xFE";
    std::u16string text(ascii.begin(), ascii.end());
    for (char16_t u : text + rest) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

TEST(RegDocument, RendersEveryKindOfValueAsRegeditTextAndReadsItBack) {
    RegDocument doc;
    EXPECT_EQ(doc.setValues(kWindow, {{"X", sz("1")}}), RegDocument::Edit::NoKey);
    EXPECT_TRUE(doc.createKey(kWindow));
    EXPECT_FALSE(doc.createKey(kWindow));

    const auto items = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "cd,";
        return s;
    };
    const std::vector<std::uint8_t> cd24(24, 0xcd);
    const std::string edges =
        "\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    // Each value, and the text it renders as where that is fixed.
    const struct {
        std::string name;
        RegValue value;
        std::string line;
    } values[] = {
        // clang-format off
        {"CompactX", sz("7680"), "\n\n" + kSection + "\"CompactX\"=\"7680\"\n"},
        {"Quote \"q\" \\ back\\", sz("C:\\dir\\\"x\"\\"),
         "\"Quote \\\"q\\\" \\\\ back\\\\\"=\"C:\\\\dir\\\\\\\"x\\\"\\\\\"\n"},
        {"Empty", sz(""), "\"Empty\"=\"\"\n"},
        {"Multi line", sz("a\nb\r\n"), ""},
        {"NoNul", {1, {'a', 'b'}}, "\"NoNul\"=hex(1):61,62\n"},
        {"Latin1", sz("\xE9t\xE9"), ""},
        {"Count", {4, {0xfb, 0xff, 0xff, 0xff}}, "\"Count\"=dword:fffffffb\n"},
        {"Number", {4, {0x1f, 0, 0, 0x80}}, "\"Number\"=dword:8000001f\n"},
        {"Expand", {2, {'%', 0, 'A', 0, 0, 0}}, ""},
        {"Blob", {3, std::vector<std::uint8_t>(100, 0xab)}, "\"Blob\"=hex:ab,ab"},
        {"NoBytes", {3, {}}, ""},
        {"Qword", {11, {1, 2, 3, 4, 5, 6, 7, 8}}, "\"Qword\"=hex(b):01,02,03"},
        {"", sz("default"), "@=\"default\"\n"},
        {"ShortNumber", {4, {1, 2}}, "\"ShortNumber\"=hex(4):01,02\n"},
        // Only valid UTF-8 goes between quotes: no surrogates, overlong forms or code points
        // beyond U+10FFFF.
        {"HighSurrogate", sz("\xED\xA0\x80"), "\"HighSurrogate\"=hex(1):ed,a0,80,00\n"},
        {"LowSurrogate", sz("\xED\xBF\xBF"), "\"LowSurrogate\"=hex(1):ed,bf,bf,00\n"},
        {"Overlong2", sz("\xC1\xBF"), "\"Overlong2\"=hex(1):c1,bf,00\n"},
        {"Overlong3", sz("\xE0\x9F\xBF"), "\"Overlong3\"=hex(1):e0,9f,bf,00\n"},
        {"Overlong4", sz("\xF0\x8F\xBF\xBF"), "\"Overlong4\"=hex(1):f0,8f,bf,bf,00\n"},
        {"Beyond", sz("\xF4\x90\x80\x80"), "\"Beyond\"=hex(1):f4,90,80,80,00\n"},
        {"Edges", sz(edges), "\"Edges\"=\"" + edges + "\"\n"},
        // A line breaks after the item that reaches column 76, whatever the name's length.
        {"Bi", {3, cd24}, "\n\"Bi\"=hex:" + items(23) + "\\\n  cd\n"},
        {"Bin", {3, std::vector<std::uint8_t>(23, 0xcd)},
         "\n\"Bin\"=hex:" + items(22) + "\\\n  cd\n"},
        // clang-format on
    };
    std::vector<std::pair<std::string, RegValue>> all;
    for (const auto& v : values) all.emplace_back(v.name, v.value);
    EXPECT_EQ(doc.setValues(kWindow, all), RegDocument::Edit::Changed);
    EXPECT_EQ(doc.setValues(kWindow, {all[0]}), RegDocument::Edit::Unchanged);

    const std::string text = doc.render();
    EXPECT_EQ(text.rfind(kHeader + "[HKEY_CURRENT_USER\\Software]\n\n", 0), 0u) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    for (const auto& v : values)
        EXPECT_NE(text.find(v.line), std::string::npos) << v.line << "\n" << text;

    const RegDocument back = RegDocument::parse(text);
    for (const auto& v : values) {
        const auto got = back.value(kWindow, v.name);
        EXPECT_TRUE(got && got->type == v.value.type && got->data == v.value.data) << v.name;
    }
    EXPECT_EQ(back.render(), text) << "a second rendering changes nothing";
}

TEST(RegDocument, ReadsHandWrittenFilesByTheRegistryRules) {
    const std::string s = kHeader + kSection;
    // A file whose one value is "Display" with the given text after its "=".
    const auto d = [&s](const std::string& value) { return s + "\"Display\"=" + value + "\n"; };
    const SettingValue absent;
    const auto n = &SettingValue::number;
    const struct {
        std::string file;
        SettingValue want;
    } cases[] = {
        // clang-format off
        {d("dword:00000001"), n(1)}, {d("DWORD:1F"), n(31)}, {d("dword:ffffffff"), n(-1)},
        {d("hex(4):01,00,00,00"), n(1)}, {d("hex(4):01,00"), absent},
        {d("hex(4):01,00,00"), absent},
        {d("hex(4):01,00,00,00,00"), absent}, {d("dword:000000001"), absent},
        {d("hex(4):01,00,00,00,"), n(1)}, {d("hex(4):01,,00,00,00"), absent},
        {d("hex(4):001,00,00,00"), absent}, {d("hex(2):31,00"), absent}, {d("hex:31,00"), absent},
        {d("\"\""), t("")}, {s + "\"display\"=\"2\"\n", t("2")}, {d("hex(1):61,62"), t("a")},
        {d("hex(1):61,62,00"), t("ab")}, {d("hex(1):"), absent}, {d("-"), absent}, {d("1"), absent},
        {d("\"unterminated"), absent},
        {d("hex(4):02,\\\n  00,\\\n  00,00\n\"C\"=\"c\""), n(2)},
        {s + "\"B\"=hex:01,\\\n  02\n\"Display\"=\"c\"\n", t("c")},
        {d("\"1\"\n\"Display\"=-"), absent}, {d("-\n\"Display\"=\"2\""), t("2")},
        {d("\"1\"\n" + kSection + "\"display\"=\"2\""), t("2")},
        {kHeader + "\"Display\"=\"1\"\n" + kSection, absent},
        {kHeader + "[hkey_current_user\\SOFTWARE\\merrowin\\ORVANE\\window]\n\"dISPLAY\"=\"1\"\n",
         t("1")},
        {kHeader + "[HKEY_LOCAL_MACHINE\\" + std::string(keys::kWindow) + "]\n\"Display\"=\"1\"\n",
         absent},
        {"\xEF\xBB\xBF" + kHeader + "[" + kWindow + "]\r\n\"Display\"=\"1\"\r\n", t("1")},
        {utf16File(kHeader + "[hkey_current_user\\software\\merrowin\\orvane\\window]\n"
                   "\"Display\"=\"", u"\u00E9\"\n"), t("\xC3\xA9")},
        // A lone surrogate reads as U+FFFD; pairs at the ends of the range combine.
        {utf16File(s + "\"Display\"=\"", u"\xD800\xDC00\xDBFF\xDFFF\xD800x\xDFFF\xD7FF\xE000\"\n"),
         t("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBDx\xEF\xBF\xBD\xED\x9F\xBF\xEE\x80\x80")},
        {"\xEF\xBB\xBF[" + kWindow + "]\n\"Display\"=\"1\"\n", t("1")},
        {kHeader + "[\\HKEY_CURRENT_USER\\Software\\\\Merrowin\\Orvane\\Window\\]\n"
                   "\"Display\"=\"1\"\n", t("1")},
        {s + "junk\n\"Display\" = \"1\"\n\x01\x02\0\xff\n\"Y\"=oops\n"s, t("1")},
        {d("\"1\"\n[-HKEY_CURRENT_USER\\Software\\Merrowin]"), absent},
        {s + "[HKEY_CURRENT_USER\\Software\\Other\n\"Display\"=\"1\"\n", absent},
        {kHeader + "[HKEY_CURRENT_USER\\Other]\n\"B\"=hex:01,\\\n" + kSection +
         "\"Display\"=\"1\"\n",
         t("1")},
        {"", absent},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(RegDocument::parse(c.file), kWindow, "Display"), c.want) << c.file;
}

TEST(RegDocument, HivesAlwaysExistAndEachValueIsFoundOnce) {
    RegDocument empty;
    EXPECT_TRUE(empty.keyExists("HKEY_CURRENT_USER") && empty.keyExists("hkey_current_user\\"));
    EXPECT_FALSE(empty.keyExists("") || empty.keyExists(kHive + "Software"));

    // A key written twice and a name in two spellings: one value each, the one a read finds.
    const RegDocument doc =
        RegDocument::parse(kHeader + kSection + "\"X\"=\"1\"\n\"Y\"=\"y\"\n\n" + kSection +
                           "\"x\"=\"2\"\n\n[" + kSetting + "]\n\"X\"=\"s\"\n");
    std::vector<std::string> found;
    for (const RegDocument::Found& f : doc.values())
        found.push_back(f.keyPath + "|" + f.name + "|" + textOf(f.value));
    const std::string window = "hkey_current_user\\software\\merrowin\\orvane\\window|";
    EXPECT_EQ(found, (std::vector<std::string>{
                         window + "X|2\0"s, window + "Y|y\0"s,
                         "hkey_current_user\\software\\merrowin\\orvane\\setting|X|s\0"s}));
}

TEST(RegDocument, EditsKeepEverythingTheyDoNotChange) {
    const std::string junk = "\x01\x02 \0\xfe binary junk"s;
    RegDocument doc = RegDocument::parse(
        kHeader + "\"Orphan\"=\"x\"\n; my settings\n" + kSection + "\"X\"=\"1\"\n" + junk +
        "\n\"Gone\"=-\n@=\"keep\"\n\"Y\"=\"2\"\n"
        "\"Bin\"=hex:01,\\\n    02\n\n; next\n[HKEY_CURRENT_USER\\Software]\n"
        "\"Z\"=\"3\"\r\n");
    EXPECT_EQ(doc.setValues(kWindow, {{"x", sz("10")}, {"New", sz("n")}, {"Gone", sz("back")}}),
              RegDocument::Edit::Changed);
    EXPECT_TRUE(doc.createKey(kHive + "Software\\New"));
    EXPECT_EQ(doc.render(),
              kHeader + "\"Orphan\"=\"x\"\n; my settings\n" + kSection + "\"x\"=\"10\"\n" + junk +
                  "\n\"Gone\"=-\n@=\"keep\"\n\"Y\"=\"2\"\n\"Bin\"=hex:01,\\\n    02\n"
                  "\"New\"=\"n\"\n\"Gone\"=\"back\"\n\n; next\n[HKEY_CURRENT_USER\\Software]\n"
                  "\"Z\"=\"3\"\n\n[HKEY_CURRENT_USER\\Software\\New]\n");
    EXPECT_EQ(textOf(doc.value(kWindow, "Gone")), "back\0"s);
    EXPECT_EQ(textOf(doc.value(kWindow, "Bin")), "\x01\x02");
    EXPECT_EQ(textOf(doc.value(kHive + "Software", "z")), "3\0"s);
    EXPECT_FALSE(doc.value(kWindow, "Orphan"));

    // Text that is no export at all is kept below a header of its own.
    RegDocument garbage = RegDocument::parse("garbage only");
    EXPECT_FALSE(garbage.keyExists(kWindow));
    EXPECT_TRUE(garbage.createKey(kWindow));
    EXPECT_EQ(garbage.render(), kHeader +
                                    "garbage only\n\n[HKEY_CURRENT_USER\\Software]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Merrowin]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane]\n\n" +
                                    kSection);
}

// Files cut short or converted twice: a line is never read as part of another, and an edit
// never changes what the lines it did not touch mean.
TEST(RegDocument, BrokenLineEndsNeitherSwallowNorRevealValues) {
    const std::string setting = "[" + kSetting + "]\n";
    const std::string other = "[HKEY_CURRENT_USER\\Software\\Other]\n\"Z\"=\"z\"\n";
    const std::string openHex = "\"Blob\"=hex:01,02,\\\n";
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"open hex line before a header",
         kHeader + setting + "\"First Use\"=\"1\"\n" + openHex + other},
        {"open hex line at the end", kHeader + other + setting + "\"First Use\"=\"1\"\n" + openHex},
        {"open hex line alone in its key", kHeader + other + setting + openHex},
        {"CR CR LF", "Windows Registry Editor Version 5.00\r\r\n\r\r\n" +
                         setting.substr(0, setting.size() - 1) + "\r\r\n\"First Use\"=\"1\"\r\r\n" +
                         other.substr(0, other.find('\n')) + "\r\r\n\"Z\"=\"z\"\r\r\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDocument doc = RegDocument::parse(c.file);
        const bool hasFirstUse = c.file.find("First Use") != std::string::npos;
        const auto check = [&](const RegDocument& d, const char* when) {
            SCOPED_TRACE(when);
            EXPECT_EQ(read(d, kSetting, "First Use"), hasFirstUse ? t("1") : SettingValue());
            EXPECT_EQ(textOf(d.value(kHive + "Software\\Other", "Z")), "z\0"s);
            EXPECT_FALSE(d.value(kSetting, "Blob"));
        };
        check(doc, "as read");
        // Learning's one commit, then a key made after the broken line.
        doc.createKey(kSetting);
        ASSERT_NE(doc.setValues(kSetting, {{"Data", sz("1.8")}, {"Count", sz("10")}}),
                  RegDocument::Edit::NoKey);
        doc.createKey(kWindow);
        ASSERT_EQ(doc.setValues(kWindow, {{"X", sz("150")}}), RegDocument::Edit::Changed);
        SCOPED_TRACE(doc.render());
        const RegDocument back = RegDocument::parse(doc.render());
        EXPECT_EQ(read(back, kSetting, "Data"), t("1.8"));
        EXPECT_EQ(read(back, kSetting, "Count"), t("10"));
        EXPECT_EQ(read(back, kWindow, "X"), t("150"));
        check(back, "after the edits");
    }
}

}  // namespace
}  // namespace orvane
