#include "upload/s3_object_headers.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "platform/ascii.h"

namespace {

// Browsers look for a page's charset in its first 1024 bytes only.
constexpr std::size_t kCharsetWindow = 1024;

// The folder the generator puts its theme copies in, at the top of the site.
constexpr std::string_view kThemeFolder = "Theme";
// The digest in a theme copy's name: eight lowercase hexadecimal digits.
constexpr std::size_t kDigestLength = 8;

const std::map<std::string, std::string, std::less<>>& ContentTypes() {
    static const std::map<std::string, std::string, std::less<>> types = {
        {"htm", "text/html"},
        {"html", "text/html"},
        {"css", "text/css"},
        {"js", "text/javascript"},
        {"mjs", "text/javascript"},
        {"json", "application/json"},
        {"map", "application/json"},
        {"webmanifest", "application/manifest+json"},
        {"txt", "text/plain"},
        {"csv", "text/csv"},
        {"md", "text/markdown"},
        {"xml", "application/xml"},
        {"rss", "application/rss+xml"},
        {"atom", "application/atom+xml"},
        {"pdf", "application/pdf"},
        {"zip", "application/zip"},
        {"wasm", "application/wasm"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"jpe", "image/jpeg"},
        {"png", "image/png"},
        {"gif", "image/gif"},
        {"webp", "image/webp"},
        {"avif", "image/avif"},
        {"heic", "image/heic"},
        {"heif", "image/heif"},
        {"svg", "image/svg+xml"},
        {"ico", "image/x-icon"},
        {"bmp", "image/bmp"},
        {"tif", "image/tiff"},
        {"tiff", "image/tiff"},
        {"mp4", "video/mp4"},
        {"m4v", "video/mp4"},
        {"webm", "video/webm"},
        {"mov", "video/quicktime"},
        {"ogv", "video/ogg"},
        {"mp3", "audio/mpeg"},
        {"m4a", "audio/mp4"},
        {"ogg", "audio/ogg"},
        {"oga", "audio/ogg"},
        {"opus", "audio/ogg"},
        {"wav", "audio/wav"},
        {"flac", "audio/flac"},
        {"vtt", "text/vtt"},
        {"woff", "font/woff"},
        {"woff2", "font/woff2"},
        {"ttf", "font/ttf"},
        {"otf", "font/otf"},
    };
    return types;
}

std::string_view NameOf(std::string_view key) {
    const std::size_t slash = key.rfind('/');
    return slash == std::string_view::npos ? key : key.substr(slash + 1);
}

std::string ExtensionOf(std::string_view key) {
    const std::string_view name = NameOf(key);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string()
                                                     : AsciiLowerCase(name.substr(dot + 1));
}

bool IsPage(const std::string& extension) {
    return extension == "htm" || extension == "html";
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// A charset name as a header may carry it; anything else is not taken.
std::string CharsetName(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[length])) != 0 ||
            std::string_view("-_.:").find(text[length]) != std::string_view::npos)) {
        ++length;
    }
    return length == 0 || length > 40 ? std::string() : std::string(text.substr(0, length));
}

// The attributes of the tag that starts at text[at] (just past its name), names in lower
// case, up to its ">". False when the tag does not end within text.
bool ReadAttributes(std::string_view text, std::size_t at,
                    std::map<std::string, std::string>& attributes) {
    for (;;) {
        while (at < text.size() && (IsSpace(text[at]) || text[at] == '/')) {
            ++at;
        }
        if (at >= text.size()) {
            return false;
        }
        if (text[at] == '>') {
            return true;
        }
        const std::size_t nameStart = at;
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '=' && text[at] != '>' &&
               text[at] != '/') {
            ++at;
        }
        std::string name = AsciiLowerCase(text.substr(nameStart, at - nameStart));
        while (at < text.size() && IsSpace(text[at])) {
            ++at;
        }
        std::string value;
        if (at < text.size() && text[at] == '=') {
            ++at;
            while (at < text.size() && IsSpace(text[at])) {
                ++at;
            }
            if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
                const std::size_t close = text.find(text[at], at + 1);
                if (close == std::string_view::npos) {
                    return false;
                }
                value = text.substr(at + 1, close - at - 1);
                at = close + 1;
            } else {
                const std::size_t valueStart = at;
                while (at < text.size() && !IsSpace(text[at]) && text[at] != '>') {
                    ++at;
                }
                value = text.substr(valueStart, at - valueStart);
            }
        }
        attributes.emplace(std::move(name), std::move(value));
    }
}

// The charset after "charset=" in a Content-Type value, or the empty text.
std::string CharsetOfContentType(std::string_view value) {
    const std::string lower = AsciiLowerCase(value);
    std::size_t at = lower.find("charset");
    if (at == std::string::npos) {
        return {};
    }
    at += 7;
    while (at < value.size() && IsSpace(value[at])) {
        ++at;
    }
    if (at >= value.size() || value[at] != '=') {
        return {};
    }
    ++at;
    while (at < value.size() && (IsSpace(value[at]) || value[at] == '"' || value[at] == '\'')) {
        ++at;
    }
    return CharsetName(value.substr(at));
}

std::string DeclaredCharset(std::string_view page) {
    const std::string_view head = page.substr(0, std::min(page.size(), kCharsetWindow));
    const std::string lower = AsciiLowerCase(head);
    for (std::size_t meta = lower.find("<meta"); meta != std::string::npos;
         meta = lower.find("<meta", meta + 1)) {
        const std::size_t after = meta + 5;
        if (after < head.size() && !IsSpace(head[after]) && head[after] != '/') {
            continue;  // another element ("<metadata>")
        }
        std::map<std::string, std::string> attributes;
        if (!ReadAttributes(head, after, attributes)) {
            break;
        }
        if (const auto charset = attributes.find("charset"); charset != attributes.end()) {
            const std::string name = CharsetName(charset->second);
            if (!name.empty() && name.size() == charset->second.size()) {
                return name;
            }
            continue;
        }
        const auto equiv = attributes.find("http-equiv");
        const auto content = attributes.find("content");
        if (equiv != attributes.end() && content != attributes.end() &&
            EqualsIgnoringCase(equiv->second, "content-type")) {
            if (std::string name = CharsetOfContentType(content->second); !name.empty()) {
                return name;
            }
        }
    }
    return {};
}

bool IsDigest(std::string_view text) {
    return text.size() == kDigestLength && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// "theme.3f9a1c2b.css" or "LICENSE.3f9a1c2b" in the folder "Theme".
bool IsThemeCopy(std::string_view key) {
    const std::string_view name = NameOf(key);
    if (name.size() == key.size()) {
        return false;
    }
    const std::string_view folder = NameOf(key.substr(0, key.size() - name.size() - 1));
    if (folder != kThemeFolder) {
        return false;
    }
    const std::size_t last = name.rfind('.');
    if (last == std::string_view::npos || last == 0) {
        return false;
    }
    if (IsDigest(name.substr(last + 1))) {
        return true;
    }
    const std::size_t before = name.rfind('.', last - 1);
    return before != std::string_view::npos && before > 0 &&
           IsDigest(name.substr(before + 1, last - before - 1));
}

}  // namespace

std::string S3ContentType(const std::string& key, std::string_view firstBytes) {
    const std::string extension = ExtensionOf(key);
    if (IsPage(extension)) {
        const std::string charset = DeclaredCharset(firstBytes);
        return charset.empty() ? "text/html" : "text/html; charset=" + charset;
    }
    const auto& types = ContentTypes();
    const auto known = types.find(extension);
    return known == types.end() ? "application/octet-stream" : known->second;
}

std::string S3CacheControl(const std::string& key) {
    if (IsThemeCopy(key)) {
        return "public, max-age=31536000, immutable";
    }
    if (IsPage(ExtensionOf(key))) {
        return "public, max-age=300";
    }
    return "public, max-age=3600";
}
