// The store's parse-and-write path on any file a user, a crash or another program may leave:
// parse, write the way the program writes, parse again. Everything readable before is
// still readable with the same data, the values written read back, and a second rewrite
// changes nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/reg_document.h"
#include "support/test_support.h"

namespace {

using orvane::RegDocument;
using orvane::RegValue;
using orvane::test::sz;

const std::string kSetting = "HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Setting";

bool same(const std::optional<RegValue>& a, const RegValue& b) {
    return a && a->type == b.type && a->data == b.data;
}

[[noreturn]] void fail(const char* what, const std::string& key, const std::string& name) {
    std::fprintf(stderr, "store property broken: %s [%s] \"%s\"\n", what, key.c_str(),
                 name.c_str());
    std::abort();
}

bool lowerEquals(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RegDocument before =
        RegDocument::parse(std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<RegDocument::Found> readable = before.values();

    // What the program writes: its keys, then learning's two values in one commit. One
    // value already in the file, picked by the input, is rewritten too.
    struct Write {
        std::string key, name;
        RegValue value;
    };
    std::vector<Write> writes = {{kSetting, "Data", sz("1.8")}, {kSetting, "Count", sz("10")}};
    if (!readable.empty()) {
        const RegDocument::Found& f = readable[size % readable.size()];
        writes.push_back({f.keyPath, f.name, sz("rewritten")});
    }
    RegDocument doc = before;
    doc.createKey(kSetting);
    for (const Write& w : writes) {
        if (doc.setValues(w.key, {{w.name, w.value}}) == RegDocument::Edit::NoKey)
            fail("key of a value vanished", w.key, w.name);
    }
    const std::string text = doc.render();
    const RegDocument after = RegDocument::parse(text);

    for (const RegDocument::Found& f : readable) {
        bool written = false;
        for (const Write& w : writes)
            written = written || (lowerEquals(w.key, f.keyPath) && lowerEquals(w.name, f.name));
        if (!written && !same(after.value(f.keyPath, f.name), f.value))
            fail("value lost or changed", f.keyPath, f.name);
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const Write& w = writes[i];
        bool rewrittenLater = false;
        for (std::size_t j = i + 1; j < writes.size(); ++j)
            rewrittenLater = rewrittenLater || (lowerEquals(writes[j].key, w.key) &&
                                                lowerEquals(writes[j].name, w.name));
        if (!rewrittenLater && !same(after.value(w.key, w.name), w.value))
            fail("written value does not read back", w.key, w.name);
    }
    if (after.render() != text) fail("a second rewrite changed the file", "", "");
    return 0;
}
