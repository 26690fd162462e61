#include "media/video_tools.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "platform/paths.h"

namespace {

// An executable regular file named name in one of PATH's folders; "" when none.
std::string FindOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr && *path != '\0' ? path : "/usr/bin:/bin";
    for (;;) {
        const std::size_t colon = rest.find(':');
        // An empty entry is the current folder, as the shell takes it.
        const std::string_view folder = rest.substr(0, colon);
        const std::string candidate = JoinPath(folder.empty() ? "." : folder, name);
        struct stat status;
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return "";
        }
        rest.remove_prefix(colon + 1);
    }
}

std::string MissingText(std::string_view program) {
    return "Videos need " + std::string(program) +
           ", which is not installed: install it with \"sudo apt install ffmpeg\".";
}

}  // namespace

bool IsVideoFile(const std::string& path) {
    static constexpr std::string_view kExtensions[] = {"MP4", "MOV", "M4V", "WEBM", "3GP"};
    const std::string extension = PathExtension(path);
    return std::find(std::begin(kExtensions), std::end(kExtensions), extension) !=
           std::end(kExtensions);
}

VideoTools FindVideoTools() {
    return {FindOnPath("ffmpeg"), FindOnPath("ffprobe")};
}

std::string MissingVideoToolsText(const VideoTools& tools) {
    if (tools.ffmpeg.empty()) {
        return MissingText("ffmpeg");
    }
    return tools.ffprobe.empty() ? MissingText("ffprobe") : "";
}

std::vector<std::string> VideoInputArguments(const std::string& path) {
    // "file:" keeps a name that starts with "-" or holds a ":" from being taken otherwise.
    return {"-protocol_whitelist", "file", "-format_whitelist",
            "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm", "file:" + path};
}
