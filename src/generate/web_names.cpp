#include "generate/web_names.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

bool StaysInUrl(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~' || c == '/';
}

// The folder as an absolute path with links resolved, as far as it exists.
fs::path ResolvedFolder(const std::string& folder) {
    std::error_code error;
    fs::path path = fs::absolute(folder.empty() ? "." : folder, error);
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

}  // namespace

std::string UrlPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url;
    url.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (StaysInUrl(byte)) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return url;
}

std::string HtmlText(std::string_view text) {
    std::string html;
    html.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            case '"':
                html += "&quot;";
                break;
            default:
                html += c;
        }
    }
    return html;
}

std::string RelativePath(const std::string& folder, const std::string& file) {
    const fs::path from = ResolvedFolder(folder);
    const fs::path fileFolder = ResolvedFolder(fs::path(file).parent_path().string());
    const fs::path relative = fileFolder.lexically_relative(from);
    if (relative.empty()) {
        return PathFileName(file);
    }
    return JoinPath(relative == "." ? "" : relative.generic_string(), PathFileName(file));
}
