#pragma once

// Videos are read and written by Debian's ffmpeg and ffprobe programs, run as children
// (platform/watched_child.h): their library changes at every major version, and a crash
// or a hang on a hostile file stays in the child. Pure functions but FindVideoTools.

#include <string>
#include <string_view>
#include <vector>

// True for the videos a site takes, by the file's extension: MP4, MOV, M4V, WEBM, 3GP
// (any letter case).
bool IsVideoFile(const std::string& path);

// Where ffmpeg and ffprobe are: full paths, empty for one that is not installed.
struct VideoTools {
    std::string ffmpeg;
    std::string ffprobe;
};

// Looks for both on PATH.
VideoTools FindVideoTools();

// What the user is told when one of them is missing, with how to install it; "" when
// both are there.
std::string MissingVideoToolsText(const VideoTools& tools);

// Why a file cannot be shown as a video: ffprobe or ffmpeg could not read it.
inline constexpr std::string_view kUnreadableVideoText = "it is not a video that can be read";

// The arguments that give ffmpeg or ffprobe path to read: only local files, and only the
// container formats a site takes, so that a playlist named .mp4 cannot pull other files
// (or addresses) into a web copy. For ffmpeg, "-i" goes before the last.
std::vector<std::string> VideoInputArguments(const std::string& path);
