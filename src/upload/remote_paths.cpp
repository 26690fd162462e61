#include "upload/remote_paths.h"

#include <vector>

#include "platform/ascii.h"
#include "platform/paths.h"

std::string RemoteFolderPath(const std::string& base, const std::string& path) {
    const std::string whole = !path.empty() && path.front() == '/' ? path : base + "/" + path;
    std::vector<std::string> parts;
    PathParts(whole, parts);  // ".." at the root stays at the root, as servers take it
    std::string result;
    for (const std::string& part : parts) {
        result += "/" + part;
    }
    return result.empty() ? std::string(1, '/') : result;
}

bool SameRemoteFolder(const std::string& said, const std::string& folder) {
    return EqualsIgnoringCase(RemoteFolderPath("/", said), RemoteFolderPath("/", folder));
}
