#include "platform/registry_tree.h"

#include <algorithm>
#include <unordered_map>

#include "platform/ascii.h"
#include "platform/format.h"

namespace {

bool NameLess(const RegistryKey& key, std::string_view name) {
    return CompareIgnoringCase(key.name, name) < 0;
}

std::vector<RegistryKey>::iterator LowerBound(std::vector<RegistryKey>& keys,
                                              std::string_view name) {
    return std::lower_bound(keys.begin(), keys.end(), name, NameLess);
}

// Text in double quotes; backslash, quote and control characters escaped.
void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (IsAsciiControl(c)) {
                    out += StringPrintf("\\x%02X", static_cast<unsigned char>(c));
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

// The failure of a line that cannot be read, with the reason as its text.
Result Malformed(std::string reason) {
    return Result::Failure(std::move(reason), Result::Kind::DamagedInput);
}

// Reads a quoted text at the start of line, removing it from line. Fails with the reason
// when there is none or it is malformed.
Result TakeQuoted(std::string_view& line, std::string& text) {
    if (line.empty() || line.front() != '"') {
        return Malformed("a double quote was expected");
    }
    text.clear();
    std::size_t i = 1;
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\') {
            text += line[i];
            continue;
        }
        if (++i == line.size()) {
            break;
        }
        switch (line[i]) {
            case '\\':
            case '"':
                text += line[i];
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'x': {
                const int high = i + 1 < line.size() ? AsciiHexDigit(line[i + 1]) : -1;
                const int low = i + 2 < line.size() ? AsciiHexDigit(line[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    return Malformed("\\x must be followed by two hexadecimal digits");
                }
                text += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return Malformed(std::string("unknown escape \\") + line[i]);
        }
    }
    if (i >= line.size()) {
        return Malformed("the closing double quote is missing");
    }
    line.remove_prefix(i + 1);
    return Result::Ok();
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads one "name"="text" line into key.
Result ParseValueLine(std::string_view line, RegistryKey& key) {
    std::string name;
    std::string text;
    if (Result taken = TakeQuoted(line, name); !taken.ok()) {
        return taken;
    }
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '=') {
        return Malformed("'=' was expected after the value name");
    }
    line = TrimBlanks(line.substr(1));
    if (Result taken = TakeQuoted(line, text); !taken.ok()) {
        return taken;
    }
    if (!TrimBlanks(line).empty()) {
        return Malformed("unexpected text after the value");
    }
    // Duplicates are merged once the whole text is read (MergeDuplicateValues).
    key.values.emplace_back(std::move(name), std::move(text));
    return Result::Ok();
}

// Values of the same name, as a hand-edited file may hold: the first keeps its place
// and takes the text of the last.
void MergeDuplicateValues(RegistryKey& key) {
    std::unordered_map<std::string, std::size_t> positions;
    std::vector<std::pair<std::string, std::string>> merged;
    for (auto& value : key.values) {
        const auto [it, added] = positions.emplace(AsciiLowerCase(value.first), merged.size());
        if (added) {
            merged.push_back(std::move(value));
        } else {
            merged[it->second].second = std::move(value.second);
        }
    }
    key.values = std::move(merged);
}

// MergeDuplicateValues for every key of the tree, with a list of keys still to do in
// place of recursion.
void MergeAllDuplicateValues(RegistryKey& root) {
    std::vector<RegistryKey*> pending{&root};
    while (!pending.empty()) {
        RegistryKey* key = pending.back();
        pending.pop_back();
        MergeDuplicateValues(*key);
        for (RegistryKey& subkey : key->subkeys) {
            pending.push_back(&subkey);
        }
    }
}

void FormatKey(const RegistryKey& key, const std::string& path, std::string& out) {
    // A key with values shows them; an empty leaf must be written to exist at all.
    // Keys between are implied by the paths below them.
    if (!key.values.empty() || (key.subkeys.empty() && !path.empty())) {
        out += "\n[" + path + "]\n";
        for (const auto& [name, text] : key.values) {
            AppendQuoted(out, name);
            out += '=';
            AppendQuoted(out, text);
            out += '\n';
        }
    }
}

// Every key of the tree in depth-first name order, with one path text that grows and
// shrinks along the walk and a stack in place of recursion.
void FormatTree(const RegistryKey& root, std::string& out) {
    struct Level {
        const RegistryKey* key;
        std::size_t next;        // the subkey to visit next
        std::size_t pathLength;  // of the path up to this key
    };
    std::string path;
    std::vector<Level> stack{{&root, 0, 0}};
    FormatKey(root, path, out);
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.key->subkeys.size()) {
            stack.pop_back();
            continue;
        }
        const RegistryKey& subkey = level.key->subkeys[level.next++];
        path.resize(level.pathLength);
        if (!path.empty()) {
            path += '\\';
        }
        path += subkey.name;
        FormatKey(subkey, path, out);
        stack.push_back({&subkey, 0, path.size()});
    }
}

}  // namespace

RegistryKey* RegistryKey::FindSubkey(std::string_view subkeyName) {
    const auto it = LowerBound(subkeys, subkeyName);
    return it != subkeys.end() && EqualsIgnoringCase(it->name, subkeyName) ? &*it : nullptr;
}

const RegistryKey* RegistryKey::FindSubkey(std::string_view subkeyName) const {
    return const_cast<RegistryKey*>(this)->FindSubkey(subkeyName);
}

RegistryKey& RegistryKey::AddSubkey(std::string_view subkeyName) {
    const auto it = LowerBound(subkeys, subkeyName);
    if (it != subkeys.end() && EqualsIgnoringCase(it->name, subkeyName)) {
        return *it;
    }
    RegistryKey added;
    added.name = subkeyName;
    return *subkeys.insert(it, std::move(added));
}

bool RegistryKey::RemoveSubkey(std::string_view subkeyName) {
    const auto it = LowerBound(subkeys, subkeyName);
    if (it == subkeys.end() || !EqualsIgnoringCase(it->name, subkeyName)) {
        return false;
    }
    subkeys.erase(it);
    return true;
}

const std::string* RegistryKey::FindValue(std::string_view valueName) const {
    for (const auto& [name, text] : values) {
        if (EqualsIgnoringCase(name, valueName)) {
            return &text;
        }
    }
    return nullptr;
}

void RegistryKey::SetValue(std::string_view valueName, std::string_view text) {
    for (auto& [name, stored] : values) {
        if (EqualsIgnoringCase(name, valueName)) {
            stored = text;
            return;
        }
    }
    values.emplace_back(valueName, text);
}

bool RegistryKey::RemoveValue(std::string_view valueName) {
    const auto it = std::find_if(values.begin(), values.end(), [valueName](const auto& value) {
        return EqualsIgnoringCase(value.first, valueName);
    });
    if (it == values.end()) {
        return false;
    }
    values.erase(it);
    return true;
}

bool IsValidRegistryKeyName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxRegistryKeyNameLength &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '\\' || IsAsciiControl(c); });
}

bool SplitRegistryPath(std::string_view path, std::vector<std::string>& names) {
    names.clear();
    if (path.empty()) {
        return true;
    }
    for (;;) {
        const std::size_t backslash = path.find('\\');
        const std::string_view name = path.substr(0, backslash);
        if (!IsValidRegistryKeyName(name)) {
            names.clear();
            return false;
        }
        names.emplace_back(name);
        if (backslash == std::string_view::npos) {
            return true;
        }
        path.remove_prefix(backslash + 1);
    }
}

RegistryKey* FindRegistryKey(RegistryKey& root, std::string_view path) {
    std::vector<std::string> names;
    if (!SplitRegistryPath(path, names)) {
        return nullptr;
    }
    RegistryKey* key = &root;
    for (const std::string& name : names) {
        key = key->FindSubkey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

const RegistryKey* FindRegistryKey(const RegistryKey& root, std::string_view path) {
    return FindRegistryKey(const_cast<RegistryKey&>(root), path);
}

std::string FormatRegistryText(const RegistryKey& root) {
    std::string out =
        "; Mavren's remembered settings. Each [key] line is followed by the values of\n"
        "; that key, one \"name\"=\"text\" a line; \\\\, \\\" and \\n stand for a backslash,\n"
        "; a double quote and a line break. Mavren rewrites this file whole, so comments\n"
        "; are not kept.\n";
    FormatTree(root, out);
    return out;
}

Result ParseRegistryText(std::string_view text, RegistryKey& root) {
    RegistryKey* current = nullptr;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        std::string problem;
        if (line.front() == '[') {
            std::vector<std::string> names;
            if (line.back() != ']') {
                problem = "the closing ']' is missing";
            } else if (!SplitRegistryPath(line.substr(1, line.size() - 2), names)) {
                problem = "the key path holds an empty or invalid key name";
            } else if (names.size() > kMaxRegistryKeyDepth) {
                problem =
                    StringPrintf("the key path is more than %zu keys deep", kMaxRegistryKeyDepth);
            } else {
                current = &root;
                for (const std::string& name : names) {
                    current = &current->AddSubkey(name);
                }
                continue;
            }
        } else if (line.front() != '"') {
            problem = "not a [key] line or a \"name\"=\"text\" line";
        } else if (current == nullptr) {
            problem = "a value comes before the first [key] line";
        } else if (const Result parsed = ParseValueLine(line, *current); parsed.ok()) {
            continue;
        } else {
            problem = parsed.text();
        }
        MergeAllDuplicateValues(root);
        return Result::Failure(StringPrintf("line %d: %s", lineNumber, problem.c_str()),
                               Result::Kind::DamagedInput);
    }
    MergeAllDuplicateValues(root);
    return Result::Ok();
}
