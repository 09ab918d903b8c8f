#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/settings_backend.h"

namespace orvane {

// A registry editor export ("Windows Registry Editor Version 5.00"), read the way an import
// would read it: sections of one key merge, later lines win, "[-key]" deletes a key with all
// below it. Key paths are full paths with their hive ("HKEY_CURRENT_USER\Software\...").
//
// Lines are kept exactly as read unless changed, so hand edits, comments and lines this
// reader does not understand survive every rewrite, and a rewrite never changes what the
// untouched lines mean.
class RegDocument {
public:
    // From a file's bytes: UTF-8 with or without a BOM, or UTF-16 with a BOM; LF, CRLF or
    // any run of CRs before the LF.
    static RegDocument parse(std::string bytes);
    // UTF-8 with LF line ends, always starting with the export header.
    std::string render() const;

    bool keyExists(const std::string& keyPath) const;
    std::optional<RegValue> value(const std::string& keyPath, const std::string& name) const;

    // Adds the key and any missing parents below the hive; false when all were there.
    bool createKey(const std::string& keyPath);

    enum class Edit { Unchanged, Changed, NoKey };
    // Sets values of one existing key, in order: a value already there is rewritten in
    // place, a new one goes after the key's last value.
    Edit setValues(const std::string& keyPath,
                   const std::vector<std::pair<std::string, RegValue>>& values);

    struct Found {
        std::string keyPath;  // the key's id: its path in lower case
        std::string name;
        RegValue value;
    };
    // Every value a reader finds, one per key and name.
    std::vector<Found> values() const;

    enum class Kind { Header, Blank, Comment, Section, KeyDelete, Value, ValueDelete, Other };
    struct Entry {
        Kind kind = Kind::Other;
        std::string text;  // its physical line(s) without the final line break
        std::string key;   // Section/KeyDelete: the key id; empty for a header naming nothing
        std::string name;  // Value/ValueDelete
        RegValue value;
        // A hex line whose last line still ends in a continuation: the next line written
        // after it would be read as part of it.
        bool open = false;
    };

private:
    struct Lookup;
    Lookup find(const std::string& id, const std::string* name) const;

    std::vector<Entry> entries_;
};

}  // namespace orvane
