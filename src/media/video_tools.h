#pragma once

// Videos are read and written by Debian's ffmpeg and ffprobe programs, run as children
// (platform/watched_child.h): their library changes at every major version, and a crash
// or a hang on a hostile file stays in the child. Pure functions but FindVideoTools.

#include <string>

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
