#include "upload/ftp_replies.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <map>

#include "platform/ascii.h"
#include "platform/format.h"
#include "upload/upload_walk.h"

int FtpReplyCode(std::string_view line) {
    if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1])) ||
        !std::isdigit(static_cast<unsigned char>(line[2])) || (line.size() > 3 && line[3] != ' ')) {
        return 0;
    }
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

std::string FtpReplyArgument(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t", std::min<std::size_t>(line.size(), 3));
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

bool ParseQuotedFolder(const std::string& reply, std::string& folder) {
    const std::size_t open = reply.find('"');
    if (open == std::string::npos) {
        return false;
    }
    std::string name;
    for (std::size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] != '"') {
            name += reply[i];
        } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
            name += '"';
            ++i;
        } else {
            folder = name;
            return true;
        }
    }
    return false;
}

std::time_t ParseFtpTime(std::string_view text) {
    if (text.size() < 14 || !std::all_of(text.begin(), text.begin() + 14, [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return -1;
    }
    const auto number = [&text](std::size_t at, std::size_t length) {
        int value = 0;
        std::from_chars(text.data() + at, text.data() + at + length, value);
        return value;
    };
    std::tm parts{};
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(4, 2) - 1;
    parts.tm_mday = number(6, 2);
    parts.tm_hour = number(8, 2);
    parts.tm_min = number(10, 2);
    parts.tm_sec = number(12, 2);
    if (parts.tm_mon < 0 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_mday > 31 ||
        parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60) {
        return -1;
    }
    return ::timegm(&parts);
}

bool ParseListingFacts(const std::string& line, RemoteFileStatus& status) {
    const std::string facts = AsciiLowerCase(line.substr(1, line.find(' ', 1) - 1));
    bool isFile = false;
    std::size_t start = 0;
    while (start < facts.size()) {
        std::size_t end = facts.find(';', start);
        if (end == std::string::npos) {
            end = facts.size();
        }
        const std::string fact = facts.substr(start, end - start);
        const std::size_t equals = fact.find('=');
        const std::string key = fact.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : fact.substr(equals + 1);
        if (key == "type") {
            isFile = value == "file";
        } else if (key == "size") {
            std::int64_t size = -1;
            std::from_chars(value.data(), value.data() + value.size(), size);
            status.size = size;
        } else if (key == "modify") {
            status.lastWriteTime = ParseFtpTime(value);
        }
        start = end + 1;
    }
    return isFile;
}

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Digits and separators in the places a pattern such as "nn-nn-nn" shows them.
bool Shaped(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == 'n' ? !digit : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

// A blank-separated word of a line and where it ends.
struct Word {
    std::string_view text;
    std::size_t end = 0;
};

std::vector<Word> Words(const std::string& line) {
    std::vector<Word> words;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(' ', at)) != std::string::npos) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        words.push_back({std::string_view(line).substr(at, end - at), end});
        at = end;
    }
    return words;
}

bool IsMonth(std::string_view word) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    return word.size() == 3 &&
           std::any_of(std::begin(kMonths), std::end(kMonths),
                       [&word](const char* month) { return EqualsIgnoringCase(word, month); });
}

bool IsDay(std::string_view word) {
    return AllDigits(word) && word.size() <= 2;
}

bool IsTimeOrYear(std::string_view word) {
    return Shaped(word, "nn:nn") || Shaped(word, "n:nn") || Shaped(word, "nnnn");
}

// Where the name begins in an "ls -l" line: after "Jan  1 12:00" (or "2024-01-02 12:00"),
// which follows the size (the word sizeWord). npos when the line has no such date.
std::size_t UnixNameStart(const std::vector<Word>& words, std::size_t& sizeWord) {
    for (std::size_t i = 2; i + 1 < words.size(); ++i) {
        if (!AllDigits(words[i - 1].text)) {
            continue;
        }
        sizeWord = i - 1;
        if (i + 2 < words.size() && IsMonth(words[i].text) && IsDay(words[i + 1].text) &&
            IsTimeOrYear(words[i + 2].text)) {
            return words[i + 2].end + 1;
        }
        if (Shaped(words[i].text, "nnnn-nn-nn") &&
            (Shaped(words[i + 1].text, "nn:nn") || Shaped(words[i + 1].text, "nn:nn:nn"))) {
            return words[i + 1].end + 1;
        }
    }
    return std::string::npos;
}

std::int64_t SizeOf(std::string_view digits) {
    std::int64_t size = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    return error == std::errc() && end == digits.data() + digits.size() ? size : -1;
}

ListingLine NamedEntry(std::string name, RemoteEntry& entry) {
    if (name.empty()) {
        return ListingLine::NotUnderstood;
    }
    if (name == "." || name == "..") {
        return ListingLine::Skip;
    }
    entry.name = std::move(name);
    return ListingLine::Entry;
}

ListingLine ParseUnixLine(const std::string& line, const std::vector<Word>& words,
                          RemoteEntry& entry) {
    std::size_t sizeWord = 0;
    const std::size_t start = UnixNameStart(words, sizeWord);
    if (start >= line.size()) {
        return ListingLine::NotUnderstood;
    }
    std::string name = line.substr(start);
    const char type = line[0];
    entry = RemoteEntry{};
    entry.folder = type == 'd';
    entry.link = type == 'l';
    if (type == '-') {
        entry.status.size = SizeOf(words[sizeWord].text);
    }
    if (entry.link) {
        name = name.substr(0, name.find(" -> "));
    }
    return NamedEntry(std::move(name), entry);
}

// "01-02-24  03:04PM       <DIR>          images"
ListingLine ParseWindowsLine(const std::string& line, const std::vector<Word>& words,
                             RemoteEntry& entry) {
    if (words.size() < 4) {
        return ListingLine::NotUnderstood;
    }
    const std::string_view kind = words[2].text;
    entry = RemoteEntry{};
    if (kind == "<DIR>") {
        entry.folder = true;
    } else if (kind == "<JUNCTION>" || kind == "<SYMLINK>" || kind == "<SYMLINKD>") {
        entry.link = true;
    } else if (!AllDigits(kind)) {
        return ListingLine::NotUnderstood;
    } else {
        entry.status.size = SizeOf(kind);
    }
    const std::size_t start = line.find_first_not_of(' ', words[2].end);
    return NamedEntry(start == std::string::npos ? std::string() : line.substr(start), entry);
}

bool IsWindowsDate(std::string_view date, std::string_view time) {
    const bool dateShaped = Shaped(date, "nn-nn-nn") || Shaped(date, "nn-nn-nnnn");
    if (time.size() == 7 && (time.substr(5) == "AM" || time.substr(5) == "PM")) {
        time.remove_suffix(2);
    }
    return dateShaped && Shaped(time, "nn:nn");
}

// Splits a listing into its lines; see ParseListing.
std::vector<std::string> ListingLines(const std::string& text) {
    const bool crLf = text.find("\r\n") != std::string::npos;
    const std::string_view end = crLf ? "\r\n" : "\n";
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t stop = std::min(text.find(end, at), text.size());
        lines.push_back(text.substr(at, stop - at));
        at = stop + end.size();
    }
    return lines;
}

// The line as a message may show it: control characters as "?", long lines cut.
std::string Shown(const std::string& line) {
    constexpr std::size_t kLongest = 100;
    return ShownPath(line.substr(0, kLongest)) + (line.size() > kLongest ? "..." : "");
}

}  // namespace

ListingLine ParseMlsdLine(const std::string& line, RemoteEntry& entry) {
    if (line.find_first_not_of(' ') == std::string::npos) {
        return ListingLine::Skip;
    }
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos || blank == 0 || line[blank - 1] != ';') {
        return ListingLine::NotUnderstood;
    }
    entry = RemoteEntry{};
    std::string type;
    bool typed = false;
    const std::string facts = line.substr(0, blank);
    for (std::size_t start = 0; start < facts.size();) {
        const std::size_t end = facts.find(';', start);
        const std::string fact = facts.substr(start, end - start);
        const std::size_t equals = fact.find('=');
        if (equals == std::string::npos || equals == 0) {
            return ListingLine::NotUnderstood;
        }
        const std::string key = AsciiLowerCase(fact.substr(0, equals));
        if (key == "type") {
            type = AsciiLowerCase(fact.substr(equals + 1));
            typed = true;
        } else if (key == "unique") {
            entry.unique = fact.substr(equals + 1);
        } else if (key == "size") {
            const std::string value = fact.substr(equals + 1);
            std::from_chars(value.data(), value.data() + value.size(), entry.status.size);
        } else if (key == "modify") {
            entry.status.lastWriteTime = ParseFtpTime(fact.substr(equals + 1));
        }
        start = end + 1;
    }
    if (!typed || type.empty()) {
        return ListingLine::NotUnderstood;
    }
    if (type == "cdir" || type == "pdir") {
        return ListingLine::Skip;
    }
    // "OS.unix=slink:/target", "OS.unix=symlink": a link, whatever it leads to.
    entry.link = type.find("link") != std::string::npos;
    entry.folder = type == "dir";
    return NamedEntry(line.substr(blank + 1), entry);
}

ListingLine ParseListLine(const std::string& line, RemoteEntry& entry) {
    const std::vector<Word> words = Words(line);
    if (words.empty() ||
        (words.size() == 2 && words[0].text == "total" && AllDigits(words[1].text))) {
        return ListingLine::Skip;
    }
    if (words.size() >= 2 && IsWindowsDate(words[0].text, words[1].text)) {
        return ParseWindowsLine(line, words, entry);
    }
    // The mode: the type letter, then the permissions.
    if (words[0].text.size() < 10 ||
        std::string_view("-dlbcps").find(line[0]) == std::string::npos) {
        return ListingLine::NotUnderstood;
    }
    return ParseUnixLine(line, words, entry);
}

Expected<std::vector<RemoteEntry>> ParseListing(const std::string& text, bool mlsd) {
    std::vector<RemoteEntry> entries;
    std::map<std::string, std::size_t> seen;  // name -> index in entries
    int number = 0;
    for (const std::string& line : ListingLines(text)) {
        ++number;
        RemoteEntry entry;
        const ListingLine kind = mlsd ? ParseMlsdLine(line, entry) : ParseListLine(line, entry);
        if (kind == ListingLine::NotUnderstood) {
            return Result::Failure(StringPrintf("line %d: \"%s\"", number, Shown(line).c_str()),
                                   Result::Kind::DamagedInput);
        }
        if (kind == ListingLine::Skip) {
            continue;
        }
        const auto [it, added] = seen.emplace(entry.name, entries.size());
        if (added) {
            entries.push_back(std::move(entry));
            continue;
        }
        // Listed twice: one entry, and the more careful reading of it.
        RemoteEntry& first = entries[it->second];
        first.link = first.link || entry.link;
        first.folder = first.folder && entry.folder && !first.link;
    }
    return entries;
}

namespace {

struct KnownHash {
    const char* name;       // in HASH's list
    const char* xCommand;   // the older command of its own
    const char* algorithm;  // OpenSSL's name
};

// Strongest first.
constexpr KnownHash kKnownHashes[] = {
    {"SHA-256", "XSHA256", "SHA256"},
    {"SHA-1", "XSHA1", "SHA1"},
    {"MD5", "XMD5", "MD5"},
};

// The words of a FEAT line (" HASH SHA-1;SHA-256*"), upper-cased.
std::vector<std::string> FeatureWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) {
                words.push_back(AsciiUpperCase(word));
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(AsciiUpperCase(word));
    }
    return words;
}

}  // namespace

bool ParseHashFeature(const std::vector<std::string>& lines, FtpHashCommand& command) {
    std::string selected;              // HASH's current algorithm
    std::vector<std::string> offered;  // by HASH
    std::vector<std::string> older;    // XSHA256 and the like
    for (const std::string& line : lines) {
        if (line.empty() || line.front() != ' ') {
            continue;  // the feature lines are the continuation lines that start with a blank
        }
        const std::vector<std::string> words = FeatureWords(line);
        if (words.empty()) {
            continue;
        }
        if (words[0] == "HASH" && words.size() > 1) {
            std::size_t start = 0;
            const std::string& list = words[1];
            while (start <= list.size()) {
                std::size_t end = list.find(';', start);
                if (end == std::string::npos) {
                    end = list.size();
                }
                std::string name = list.substr(start, end - start);
                if (!name.empty() && name.back() == '*') {
                    name.pop_back();
                    selected = name;
                }
                offered.push_back(name);
                start = end + 1;
            }
        } else {
            older.push_back(words[0]);
        }
    }
    const auto has = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (const KnownHash& known : kKnownHashes) {
        if (has(offered, known.name)) {
            command = {"HASH", selected == known.name ? "" : known.name, known.algorithm};
            return true;
        }
        if (has(older, known.xCommand)) {
            command = {known.xCommand, "", known.algorithm};
            return true;
        }
    }
    return false;
}

bool ParseHashReply(const std::string& line, std::size_t hexLength, std::string& hex) {
    for (const std::string& word : FeatureWords(line.size() > 4 ? line.substr(4) : std::string())) {
        if (word.size() == hexLength &&
            word.find_first_not_of("0123456789ABCDEF") == std::string::npos) {
            hex = AsciiLowerCase(word);
            return true;
        }
    }
    return false;
}
