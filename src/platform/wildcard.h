#pragma once

// File-name wildcards as the directory search has them: "*" any run of characters,
// "?" one character, everything else literal, letter case ignored (ASCII).
// A pattern ending in ".*" also matches names without a dot, so "*.*" matches every name.

#include <string_view>

bool WildcardMatch(std::string_view pattern, std::string_view name);

// The same without the rule for ".*": only "*" and "?" are special (host patterns, say).
bool GlobMatch(std::string_view pattern, std::string_view text);
