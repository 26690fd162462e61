#include "upload/page_references.h"

#include <array>

#include "platform/ascii.h"

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::size_t SkipSpaces(std::string_view text, std::size_t at) {
    while (at < text.size() && IsSpace(text[at])) {
        ++at;
    }
    return at;
}

// Where word (lower case) next starts in text at or after from, in any letter case.
std::size_t FindIgnoringCase(std::string_view text, std::string_view word, std::size_t from) {
    for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
        if (StartsWithIgnoringCase(text.substr(at), word)) {
            return at;
        }
    }
    return std::string_view::npos;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The character reference at the start of text ("&amp;", "&#38;", "&#x26;") into out;
// its length, or 0 when it is none this scanner knows, which then stays as written.
std::size_t DecodeReference(std::string_view text, std::string& out) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
    for (const auto& [name, character] : kNamed) {
        if (StartsWithIgnoringCase(text, name)) {
            out += character;
            return name.size();
        }
    }
    if (text.size() < 3 || text[1] != '#') {
        return 0;
    }
    const bool hex = text[2] == 'x' || text[2] == 'X';
    std::size_t at = hex ? 3 : 2;
    unsigned long code = 0;
    const std::size_t first = at;
    for (; at < text.size() && at - first < 7; ++at) {
        const int digit = hex                                    ? AsciiHexDigit(text[at])
                          : (text[at] >= '0' && text[at] <= '9') ? text[at] - '0'
                                                                 : -1;
        if (digit < 0) {
            break;
        }
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    if (at == first || at >= text.size() || text[at] != ';' || code == 0 || code > 0x10FFFF) {
        return 0;
    }
    AppendUtf8(out, code);
    return at + 1;
}

std::string DecodeAttribute(std::string_view value) {
    std::string decoded;
    for (std::size_t at = 0; at < value.size();) {
        const std::size_t length =
            value[at] == '&' ? DecodeReference(value.substr(at), decoded) : 0;
        if (length == 0) {
            decoded += value[at++];
        } else {
            at += length;
        }
    }
    return decoded;
}

// A CSS string or unquoted url from at up to (not including) one of the stop bytes, with
// its escapes undone; at ends after it.
std::string CssToken(std::string_view css, std::size_t& at, std::string_view stops) {
    std::string token;
    while (at < css.size() && stops.find(css[at]) == std::string_view::npos) {
        if (css[at] != '\\' || at + 1 >= css.size()) {
            token += css[at++];
            continue;
        }
        ++at;
        unsigned long code = 0;
        std::size_t digits = 0;
        while (at < css.size() && digits < 6 && AsciiHexDigit(css[at]) >= 0) {
            code = code * 16 + static_cast<unsigned long>(AsciiHexDigit(css[at++]));
            ++digits;
        }
        if (digits == 0) {
            token += css[at++];
        } else {
            if (at < css.size() && IsSpace(css[at])) {
                ++at;
            }
            if (code != 0 && code <= 0x10FFFF) {
                AppendUtf8(token, code);
            }
        }
    }
    return token;
}

// The address of a url( whose text starts at at; at ends after its ")".
std::string CssUrl(std::string_view css, std::size_t& at) {
    at = SkipSpaces(css, at);
    std::string address;
    if (at < css.size() && (css[at] == '"' || css[at] == '\'')) {
        const char quote = css[at++];
        address = CssToken(css, at, std::string_view(&quote, 1));
        ++at;
    } else {
        address = CssToken(css, at, ")");
        while (!address.empty() && IsSpace(address.back())) {
            address.pop_back();
        }
    }
    const std::size_t close = css.find(')', at);
    at = close == std::string_view::npos ? css.size() : close + 1;
    return address;
}

void AddStyle(std::string_view css, std::vector<std::string>& found) {
    for (std::size_t at = 0; at < css.size();) {
        if (css.compare(at, 2, "/*") == 0) {
            const std::size_t end = css.find("*/", at + 2);
            at = end == std::string_view::npos ? css.size() : end + 2;
        } else if (css[at] == '"' || css[at] == '\'') {
            const char quote = css[at++];
            CssToken(css, at, std::string_view(&quote, 1));  // a string that is no address
            ++at;
        } else if (StartsWithIgnoringCase(css.substr(at), "url(")) {
            at += 4;
            found.push_back(CssUrl(css, at));
        } else if (StartsWithIgnoringCase(css.substr(at), "@import")) {
            at = SkipSpaces(css, at + 7);
            if (at < css.size() && (css[at] == '"' || css[at] == '\'')) {
                const char quote = css[at++];
                found.push_back(CssToken(css, at, std::string_view(&quote, 1)));
                ++at;
            }
        } else {
            ++at;
        }
    }
}

// The addresses of a SRCSET: each candidate is an address and what follows it up to a
// comma ("a.jpg 1x, b.jpg 2x").
void AddSrcset(std::string_view value, std::vector<std::string>& found) {
    std::size_t at = 0;
    while (at < value.size()) {
        while (at < value.size() && (IsSpace(value[at]) || value[at] == ',')) {
            ++at;
        }
        const std::size_t start = at;
        while (at < value.size() && !IsSpace(value[at])) {
            ++at;
        }
        std::string_view address = value.substr(start, at - start);
        const bool ended = !address.empty() && address.back() == ',';
        while (!address.empty() && address.back() == ',') {
            address.remove_suffix(1);
        }
        if (!address.empty()) {
            found.emplace_back(address);
        }
        if (!ended) {
            const std::size_t comma = value.find(',', at);
            at = comma == std::string_view::npos ? value.size() : comma + 1;
        }
    }
}

void AddAttribute(std::string_view name, std::string_view value, std::vector<std::string>& found) {
    const std::string lower = AsciiLowerCase(name);
    if (lower == "src" || lower == "href" || lower == "background" || lower == "poster") {
        found.push_back(DecodeAttribute(value));
    } else if (lower == "srcset") {
        AddSrcset(DecodeAttribute(value), found);
    } else if (lower == "style") {
        AddStyle(DecodeAttribute(value), found);
    }
}

// Reads the tag whose name starts at at (after its "<"); at ends after its ">". The
// tag's name, lower case.
std::string ReadTag(std::string_view html, std::size_t& at, std::vector<std::string>& found) {
    const std::size_t nameStart = at;
    while (at < html.size() && !IsSpace(html[at]) && html[at] != '>' && html[at] != '/') {
        ++at;
    }
    const std::string tag = AsciiLowerCase(html.substr(nameStart, at - nameStart));
    for (;;) {
        while (at < html.size() && (IsSpace(html[at]) || html[at] == '/')) {
            ++at;
        }
        if (at >= html.size() || html[at] == '>') {
            break;
        }
        const std::size_t attributeStart = at++;  // a name may begin with "=", as browsers read it
        while (at < html.size() && !IsSpace(html[at]) && html[at] != '=' && html[at] != '>' &&
               html[at] != '/') {
            ++at;
        }
        const std::string_view name = html.substr(attributeStart, at - attributeStart);
        const std::size_t afterName = SkipSpaces(html, at);
        if (afterName >= html.size() || html[afterName] != '=') {
            continue;  // no value
        }
        at = SkipSpaces(html, afterName + 1);
        std::string_view value;
        if (at < html.size() && (html[at] == '"' || html[at] == '\'')) {
            const std::size_t close = html.find(html[at], at + 1);
            const std::size_t end = close == std::string_view::npos ? html.size() : close;
            value = html.substr(at + 1, end - at - 1);
            at = close == std::string_view::npos ? html.size() : close + 1;
        } else {
            const std::size_t start = at;
            while (at < html.size() && !IsSpace(html[at]) && html[at] != '>') {
                ++at;
            }
            value = html.substr(start, at - start);
        }
        AddAttribute(name, value, found);
    }
    if (at < html.size()) {
        ++at;  // the ">"
    }
    return tag;
}

}  // namespace

std::vector<std::string> PageReferences(std::string_view html) {
    std::vector<std::string> found;
    std::size_t at = 0;
    while ((at = html.find('<', at)) != std::string_view::npos) {
        if (html.compare(at, 4, "<!--") == 0) {
            const std::size_t end = html.find("-->", at + 4);
            at = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        ++at;
        if (at >= html.size() || !IsLetter(html[at])) {
            continue;  // an end tag, a declaration or a "<" in the text
        }
        const std::string tag = ReadTag(html, at, found);
        if (tag == "script" || tag == "style") {
            // Their text is no markup: a "<" in a script starts no tag.
            const std::size_t end = FindIgnoringCase(html, "</" + tag, at);
            const std::size_t stop = end == std::string_view::npos ? html.size() : end;
            if (tag == "style") {
                AddStyle(html.substr(at, stop - at), found);
            }
            at = stop;
        }
    }
    return found;
}

std::vector<std::string> StyleReferences(std::string_view css) {
    std::vector<std::string> found;
    AddStyle(css, found);
    return found;
}
