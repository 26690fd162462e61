#include "upload/remote_paths.h"

#include <vector>

#include "platform/ascii.h"

std::string RemoteFolderPath(const std::string& base, const std::string& path) {
    const std::string whole = !path.empty() && path.front() == '/' ? path : base + "/" + path;
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= whole.size()) {
        const std::size_t slash = std::min(whole.find('/', at), whole.size());
        const std::string piece = whole.substr(at, slash - at);
        if (piece == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        at = slash + 1;
    }
    std::string result;
    for (const std::string& part : parts) {
        result += "/" + part;
    }
    return result.empty() ? std::string(1, '/') : result;
}

bool SameRemoteFolder(const std::string& said, const std::string& folder) {
    return EqualsIgnoringCase(RemoteFolderPath("/", said), RemoteFolderPath("/", folder));
}
