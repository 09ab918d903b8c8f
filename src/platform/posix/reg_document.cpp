#include "platform/posix/reg_document.h"

#include <cstdio>
#include <set>
#include <string_view>

namespace orvane {
namespace {

using Kind = RegDocument::Kind;
using Entry = RegDocument::Entry;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// ---- small string helpers -----------------------------------------------------------

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool istartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trim(std::string_view s) {
    s = trimLeft(s);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1..8 hex digits and nothing else.
bool parseHex32(std::string_view s, std::uint32_t& out) {
    if (s.empty() || s.size() > 8) return false;
    out = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        out = (out << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

// Splits a key path into its names, ignoring doubled or outer backslashes.
std::vector<std::string> keyParts(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The form two key names are compared in: registry names ignore case.
std::string keyId(std::string_view path) {
    std::string id;
    for (const std::string& part : keyParts(path)) {
        if (!id.empty()) id += '\\';
        for (char c : part) id += lower(c);
    }
    return id;
}

// ---- encodings ----------------------------------------------------------------------

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? static_cast<std::uint32_t>(a << 8 | b)
                         : static_cast<std::uint32_t>(b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

// Regedit writes UTF-16LE with a BOM; a hand-edited copy may be UTF-8 with or without one.
std::string decodeFile(std::string bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return utf16ToUtf8(std::string_view(bytes).substr(2), false);
    if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        return utf16ToUtf8(std::string_view(bytes).substr(2), true);
    return bytes;
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

Entry makeEntry(Kind kind, std::string text) {
    Entry e;
    e.kind = kind;
    e.text = std::move(text);
    return e;
}

// Reads a "..." string starting at s[pos]; leaves pos after the closing quote.
bool readQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\' && pos < s.size() && (s[pos] == '\\' || s[pos] == '"')) {
            out += s[pos++];
            continue;
        }
        out += c;
    }
    return false;
}

// Splits `"name"=data` or `@=data`; false when the line is not shaped like a value.
bool splitValueLine(std::string_view line, std::string& name, std::string_view& data) {
    const std::string_view s = trimLeft(line);
    std::size_t pos = 0;
    if (s.empty()) return false;
    if (s[0] == '@') {
        pos = 1;
    } else if (!readQuoted(s, pos, name)) {
        return false;
    }
    while (pos < s.size() && isBlank(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != '=') return false;
    data = trim(s.substr(pos + 1));
    return true;
}

bool parseByteList(std::string_view s, std::vector<std::uint8_t>& out) {
    if (trim(s).empty()) return true;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t end = s.find(',', start);
        const bool last = end == std::string_view::npos;
        if (last) end = s.size();
        const std::string_view token = trim(s.substr(start, end - start));
        if (token.empty()) {
            if (!last) return false;  // only a trailing comma may leave an empty item
        } else {
            std::uint32_t b = 0;
            if (token.size() > 2 || !parseHex32(token, b)) return false;
            out.push_back(static_cast<std::uint8_t>(b));
        }
        start = end + 1;
    }
    return true;
}

// The data part of a value line: a value, a deletion ("-") or nothing it understands.
Kind parseData(std::string_view data, RegValue& v) {
    if (data == "-") return Kind::ValueDelete;
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!readQuoted(data, pos, text) || pos != data.size()) return Kind::Other;
        v.type = static_cast<std::uint32_t>(RegType::String);
        v.data.assign(text.begin(), text.end());
        v.data.push_back(0);
        return Kind::Value;
    }
    if (istartsWith(data, "dword:")) {
        std::uint32_t n = 0;
        if (!parseHex32(data.substr(6), n)) return Kind::Other;
        v.type = static_cast<std::uint32_t>(RegType::DWord);
        v.data.clear();
        for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
        return Kind::Value;
    }
    if (istartsWith(data, "hex")) {
        std::size_t pos = 3;
        std::uint32_t type = static_cast<std::uint32_t>(RegType::Binary);
        if (pos < data.size() && data[pos] == '(') {
            const std::size_t close = data.find(')', pos);
            if (close == std::string_view::npos) return Kind::Other;
            if (!parseHex32(data.substr(pos + 1, close - pos - 1), type)) return Kind::Other;
            pos = close + 1;
        }
        if (pos >= data.size() || data[pos] != ':') return Kind::Other;
        v.type = type;
        v.data.clear();
        if (!parseByteList(data.substr(pos + 1), v.data)) return Kind::Other;
        return Kind::Value;
    }
    return Kind::Other;
}

// Splits at LF. Any run of CRs before it belongs to the line end: a file that went through
// CRLF conversion twice ends its lines in CR CR LF.
std::vector<std::string> splitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::size_t stop = end;
        while (stop > start && content[stop - 1] == '\r') --stop;
        lines.push_back(content.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

bool startsSection(std::string_view line) {
    return trimLeft(line).substr(0, 1) == "[";
}

}  // namespace

RegDocument RegDocument::parse(std::string bytes) {
    const std::vector<std::string> lines = splitLines(decodeFile(std::move(bytes)));
    RegDocument doc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Entry e;
        e.text = lines[i];
        const std::string_view t = trim(lines[i]);
        std::string_view data;
        if (i == 0 && (t == kHeader || t == "REGEDIT4")) {
            e.kind = Kind::Header;
        } else if (t.empty()) {
            e.kind = Kind::Blank;
        } else if (t[0] == ';') {
            e.kind = Kind::Comment;
        } else if (t[0] == '[') {
            // A broken header still ends the section above it, so its values are not
            // mistaken for the previous key's.
            e.kind = Kind::Section;
            if (t.size() >= 2 && t.back() == ']') {
                std::string_view inner = t.substr(1, t.size() - 2);
                if (!inner.empty() && inner[0] == '-') {
                    e.kind = Kind::KeyDelete;
                    inner.remove_prefix(1);
                }
                e.key = keyId(inner);
            }
        } else if (splitValueLine(lines[i], e.name, data)) {
            std::string joined(data);
            if (istartsWith(data, "hex")) {
                // Long binary values continue over lines ending in a backslash; a section
                // header or the end of the file ends them all the same.
                while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size() &&
                       !startsSection(lines[i + 1])) {
                    joined.pop_back();
                    ++i;
                    e.text += '\n';
                    e.text += lines[i];
                    joined += trim(lines[i]);
                }
                e.open = !joined.empty() && joined.back() == '\\';
            }
            e.kind = parseData(joined, e.value);
        }
        if (e.kind == Kind::Other) e.name.clear();
        doc.entries_.push_back(std::move(e));
    }
    return doc;
}

std::string RegDocument::render() const {
    std::string out;
    if (entries_.empty() || entries_.front().kind != Kind::Header) {
        out += kHeader;
        out += "\n\n";
    }
    for (const Entry& e : entries_) {
        out += e.text;
        out += '\n';
    }
    return out;
}

namespace {

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// A string the quoted form can carry: one final NUL, valid UTF-8, no line breaks.
bool fitsQuotedForm(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           isValidUtf8(text);
}

std::string valueText(const std::string& name, const RegValue& v) {
    std::string line = name.empty() ? "@=" : quoted(name) + "=";
    if (v.type == static_cast<std::uint32_t>(RegType::String) && fitsQuotedForm(v.data)) {
        return line + quoted(std::string(v.data.begin(), v.data.end() - 1));
    }
    char buf[32];
    if (v.type == static_cast<std::uint32_t>(RegType::DWord) && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i) n |= static_cast<std::uint32_t>(v.data[i]) << (8 * i);
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        return line + buf;
    }
    if (v.type == static_cast<std::uint32_t>(RegType::Binary)) {
        line += "hex:";
    } else {
        std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
        line += buf;
    }
    // Wrapped like regedit does, so the lines stay readable.
    std::string out;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
        line += buf;
        if (i + 1 < v.data.size()) {
            line += ',';
            if (line.size() >= 76) {
                out += line + "\\\n";
                line = "  ";
            }
        }
    }
    return out + line;
}

}  // namespace

struct RegDocument::Lookup {
    bool exists = false;
    std::vector<std::size_t> sections;
    std::optional<std::size_t> value;  // the deciding Value/ValueDelete line
};

RegDocument::Lookup RegDocument::find(const std::string& id, const std::string* name) const {
    Lookup r;
    bool inKey = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        switch (e.kind) {
            case Kind::Section:
                inKey = !e.key.empty() && e.key == id;
                if (inKey) {
                    r.exists = true;
                    r.sections.push_back(i);
                }
                break;
            case Kind::KeyDelete:
                inKey = false;
                if (!e.key.empty() &&
                    (e.key == id || id.compare(0, e.key.size() + 1, e.key + "\\") == 0)) {
                    r = Lookup{};
                }
                break;
            case Kind::Value:
            case Kind::ValueDelete:
                if (inKey && name && iequals(e.name, *name)) r.value = i;
                break;
            default:
                break;
        }
    }
    return r;
}

bool RegDocument::keyExists(const std::string& keyPath) const {
    const std::string id = keyId(keyPath);
    // A hive is always there.
    return (!id.empty() && id.find('\\') == std::string::npos) || find(id, nullptr).exists;
}

std::optional<RegValue> RegDocument::value(const std::string& keyPath,
                                           const std::string& name) const {
    const Lookup at = find(keyId(keyPath), &name);
    if (!at.exists || !at.value || entries_[*at.value].kind != Kind::Value) return std::nullopt;
    return entries_[*at.value].value;
}

bool RegDocument::createKey(const std::string& keyPath) {
    bool changed = false;
    std::string path;
    for (const std::string& part : keyParts(keyPath)) {
        const bool hive = path.empty();
        path += (hive ? "" : "\\") + part;
        if (hive || keyExists(path)) continue;
        // A blank line after an open hex line would be read as part of it; the header
        // itself never is.
        if (!entries_.empty() && entries_.back().kind != Kind::Blank && !entries_.back().open)
            entries_.push_back(makeEntry(Kind::Blank, {}));
        Entry section = makeEntry(Kind::Section, "[" + path + "]");
        section.key = keyId(path);
        entries_.push_back(std::move(section));
        changed = true;
    }
    return changed;
}

RegDocument::Edit RegDocument::setValues(
    const std::string& keyPath, const std::vector<std::pair<std::string, RegValue>>& values) {
    const std::string id = keyId(keyPath);
    Edit result = Edit::Unchanged;
    for (const auto& [name, value] : values) {
        const Lookup at = find(id, &name);
        if (!at.exists) return Edit::NoKey;
        Entry e = makeEntry(Kind::Value, valueText(name, value));
        e.name = name;
        e.value = value;
        if (at.value && entries_[*at.value].kind == Kind::Value) {
            // Replaced in place; a deletion line stays and the value follows it.
            if (entries_[*at.value].text == e.text) continue;
            entries_[*at.value] = std::move(e);
            result = Edit::Changed;
            continue;
        }
        std::size_t last = at.sections.back();
        for (std::size_t i = last + 1; i < entries_.size(); ++i) {
            const Kind k = entries_[i].kind;
            if (k == Kind::Section || k == Kind::KeyDelete) break;
            if (k != Kind::Blank && k != Kind::Comment) last = i;
        }
        // Never right after an open hex line (it would swallow the new value): before it.
        // Only a header or the end of the file can follow such a line, so it is the
        // section's last.
        const std::size_t pos = entries_[last].open ? last : last + 1;
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(e));
        result = Edit::Changed;
    }
    return result;
}

std::vector<RegDocument::Found> RegDocument::values() const {
    std::vector<Found> out;
    std::set<std::string> seen;
    std::string key;
    for (const Entry& e : entries_) {
        if (e.kind == Kind::Section) key = e.key;
        if (e.kind == Kind::KeyDelete) key.clear();
        if (e.kind != Kind::Value || key.empty()) continue;
        std::string lowerName;
        for (char c : e.name) lowerName += lower(c);
        if (!seen.insert(key + '\n' + lowerName).second) continue;
        if (std::optional<RegValue> v = value(key, e.name)) out.push_back({key, e.name, *v});
    }
    return out;
}

}  // namespace orvane
