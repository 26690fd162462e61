#include "cli/setting_values.h"

#include <algorithm>
#include <charconv>

#include "cli/cli.h"
#include "document/key_limits.h"
#include "platform/ascii.h"
#include "platform/date_time.h"

namespace {

bool IsFolderKey(ProgramKey id) {
    return id == ProgramKey::SourceDir || id == ProgramKey::TargetDir ||
           id == ProgramKey::MiscGifThumbnailDir;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A sign and digits, nothing else, within the range of an int.
bool ParseWholeNumber(const std::string& text, int& number) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [stop, error] = std::from_chars(begin, end, number);
    return error == std::errc() && stop == end && begin != end;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// Edits (insertions, deletions, replacements) that turn a into b, ignoring letter case.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + "-") {
        if (c == '-' || c == ' ' || c == '_') {
            if (!word.empty()) {
                words.push_back(AsciiLowerCase(word));
            }
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// Every word of typed begins one of the key's words.
bool WordsBeginKeyWords(const std::vector<std::string>& typed, const std::string& key) {
    const std::vector<std::string> keyWords = Words(key);
    return !typed.empty() && std::all_of(typed.begin(), typed.end(), [&](const std::string& word) {
        return std::any_of(keyWords.begin(), keyWords.end(),
                           [&](const std::string& keyWord) { return keyWord.rfind(word, 0) == 0; });
    });
}

}  // namespace

std::string CheckSettingValue(const KeyDescriptor& row, std::string& value) {
    const std::string name(row.name);
    switch (row.type) {
        case KeyType::Bool: {
            const std::string word = Trimmed(value);
            if (!EqualsIgnoringCase(word, "yes") && !EqualsIgnoringCase(word, "no")) {
                return name + " takes Yes or No, not " + Quoted(value);
            }
            value = word;
            return {};
        }
        case KeyType::Int: {
            int number = 0;
            if (!ParseWholeNumber(Trimmed(value), number)) {
                return name + " takes a whole number, not " + Quoted(value);
            }
            if (std::string problem = KeyLimitProblem(row.id, number); !problem.empty()) {
                return problem;
            }
            value = std::to_string(number);
            return {};
        }
        case KeyType::Date: {
            const std::string text = Trimmed(value);
            OleDate date = 0;
            if (!EqualsIgnoringCase(text, "never") && !ParseOleDate(text, date)) {
                return name + " takes a date as MM/DD/YY HH:MM:SS, or Never, not " + Quoted(value);
            }
            value = text;
            return {};
        }
        case KeyType::String:
            if (IsFolderKey(row.id) && !value.empty()) {
                value = AbsoluteFolder(value);
            }
            return TextKeyProblem(row.id, value);
    }
    return {};
}

std::vector<std::string> NearestKeyNames(const std::string& name) {
    constexpr std::size_t kMostShown = 3;
    const std::size_t slips = std::max<std::size_t>(2, name.size() / 4);
    std::size_t nearest = slips + 1;
    std::vector<std::string> names;
    for (const KeyDescriptor& row : kKeyTable) {
        const std::size_t distance = EditDistance(name, std::string(row.name));
        if (distance < nearest) {
            nearest = distance;
            names.clear();
        }
        if (distance == nearest && names.size() < kMostShown) {
            names.emplace_back(row.name);
        }
    }
    if (!names.empty()) {
        return names;
    }
    const std::vector<std::string> typed = Words(name);
    for (const KeyDescriptor& row : kKeyTable) {
        if (names.size() < kMostShown && WordsBeginKeyWords(typed, std::string(row.name))) {
            names.emplace_back(row.name);
        }
    }
    return names;
}

std::string JoinAlternatives(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text += i + 1 == names.size() ? " or " : ", ";
        }
        text += names[i];
    }
    return text;
}
