#pragma once

// What ffprobe tells of a video: its size as players show it, its length, when it was
// recorded and what it is encoded as (which decides whether its web copy can be the same
// streams in a new file). Safe on several threads at once.

#include <string>

#include "media/video_tools.h"
#include "platform/date_time.h"
#include "platform/result.h"

struct VideoProbe {
    int width = 0;  // as shown: the rotation applied
    int height = 0;
    int rotation = 0;         // degrees a player turns the picture: 0, 90, 180 or 270
    double seconds = 0;       // its length; 0 when the container does not say
    OleDate taken = 0;        // the container's creation time in local time; 0 when none
    std::string videoCodec;   // as ffprobe names it: "h264", "hevc", "vp9"
    std::string profile;      // "High", "Main", "Constrained Baseline"
    std::string pixelFormat;  // "yuv420p"
    std::string audioCodec;   // "aac"; "" for a video without sound
};

// Reads path with ffprobe, within a time limit. A file ffprobe cannot read, or that has
// no video stream, fails with the words "it is not a video that can be read"; a missing
// ffprobe fails with MissingVideoToolsText.
Result ProbeVideo(const VideoTools& tools, const std::string& path, VideoProbe& probe);
