#pragma once

// The settings store in memory: a tree of keys, each with string values in the order
// they were first set and subkeys kept sorted by name. Key and value names compare
// without regard to ASCII letter case and keep the case they were created with.
// Also the store's text form: "[key\path]" lines, each followed by its values as
// "name"="text" lines. Plain values without locking: one thread at a time per tree.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/result.h"

// The longest value text the store keeps: a 10240-byte buffer with its zero.
constexpr std::size_t kMaxRegistryValueLength = 10239;
// The longest key name: a 1024-byte buffer with its zero.
constexpr std::size_t kMaxRegistryKeyNameLength = 1023;
// The deepest key below the root. Far more than the tool uses; it bounds the work a
// damaged or hostile file can ask for.
constexpr std::size_t kMaxRegistryKeyDepth = 512;

struct RegistryKey {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<RegistryKey> subkeys;  // sorted by name, letter case ignored

    RegistryKey* FindSubkey(std::string_view subkeyName);
    const RegistryKey* FindSubkey(std::string_view subkeyName) const;
    // The subkey of that name, added in its sorted place when missing.
    RegistryKey& AddSubkey(std::string_view subkeyName);
    // Removes the subkey with everything below it; false when there is none.
    bool RemoveSubkey(std::string_view subkeyName);

    // Null when the value is missing.
    const std::string* FindValue(std::string_view valueName) const;
    void SetValue(std::string_view valueName, std::string_view text);
    // Removes the value; false when there is none.
    bool RemoveValue(std::string_view valueName);
};

// Splits a key path at its backslashes. The empty path names the root and gives no
// names. False when a name is empty (a leading, doubled or trailing backslash) or is
// not a valid key name.
bool SplitRegistryPath(std::string_view path, std::vector<std::string>& names);

// A key name may not be empty, longer than kMaxRegistryKeyNameLength, or hold a
// backslash or a control character.
bool IsValidRegistryKeyName(std::string_view name);

// The key at path below root; null when the path is invalid or a key on it is missing.
RegistryKey* FindRegistryKey(RegistryKey& root, std::string_view path);
const RegistryKey* FindRegistryKey(const RegistryKey& root, std::string_view path);

// The text form of the whole tree, opening with a comment that explains it.
std::string FormatRegistryText(const RegistryKey& root);

// Reads the text form into root (which should be empty). A failure has kind DamagedInput
// and a text that says which line could not be read and why ("line 3: ..."); root then
// holds what came before. A key path deeper than kMaxRegistryKeyDepth is such a failure.
// Nothing here recurses on the text, so no file can exhaust the stack.
Result ParseRegistryText(std::string_view text, RegistryKey& root);
