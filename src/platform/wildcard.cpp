#include "platform/wildcard.h"

#include "platform/ascii.h"

// Iterative matcher with one backtrack point: linear in practice, never exponential.
bool GlobMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern.empty() || name.empty()) {
        return false;
    }
    if (GlobMatch(pattern, name)) {
        return true;
    }
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return GlobMatch(pattern.substr(0, pattern.size() - 2), name);
    }
    return false;
}
