#include "platform/paths.h"

#include <algorithm>

#include "platform/ascii.h"

namespace {

// Index just behind the folder part (0 when there is no "/").
std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (!folder.empty() && folder.back() != '/') {
        joined += '/';
    }
    joined += name;
    return joined;
}

std::string PathFileName(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string PathExtension(std::string_view path) {
    const std::string_view file = path.substr(NameStart(path));
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    return AsciiUpperCase(file.substr(dot + 1));
}

std::string PathFolder(std::string_view path) {
    const std::size_t start = NameStart(path);
    if (start == 0) {
        return {};
    }
    return std::string(path.substr(0, start - 1));
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
    if (pattern.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t hit = text.find(pattern); hit != std::string_view::npos;
         hit = text.find(pattern, from)) {
        result.append(text.substr(from, hit - from));
        result.append(replacement);
        from = hit + pattern.size();
    }
    result.append(text.substr(from));
    return result;
}

bool PathParts(std::string_view path, std::vector<std::string>& parts) {
    parts.clear();
    bool within = true;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string_view piece = path.substr(at, slash - at);
        if (piece == "..") {
            within = within && !parts.empty();
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!piece.empty() && piece != ".") {
            parts.emplace_back(piece);
        }
        at = slash + 1;
    }
    return within;
}
