#include "document/language_tag.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsLetterOrDigit(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9');
}

}  // namespace

bool IsLanguageTag(std::string_view text) {
    const std::size_t dash = text.find('-');
    const std::string_view language = text.substr(0, dash);
    if (language.size() < 2 || language.size() > 3 ||
        !std::all_of(language.begin(), language.end(), IsLetter)) {
        return false;
    }
    std::string_view rest = dash == std::string_view::npos ? std::string_view() : text.substr(dash);
    while (!rest.empty()) {
        rest.remove_prefix(1);  // the "-"
        const std::string_view part = rest.substr(0, rest.find('-'));
        if (part.empty() || part.size() > 8 ||
            !std::all_of(part.begin(), part.end(), IsLetterOrDigit)) {
            return false;
        }
        rest.remove_prefix(part.size());
    }
    return true;
}

std::string LanguageTagOfLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    std::string tag(locale);
    for (char& c : tag) {
        if (c == '_') {
            c = '-';
        }
    }
    return IsLanguageTag(tag) ? tag : "en";
}

std::string SystemLanguageTag() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            return LanguageTagOfLocale(value);
        }
    }
    return "en";
}
