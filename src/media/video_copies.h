#pragma once

// The pictures and the web copy made from a video with ffmpeg. Neither carries the
// video's metadata (place, device, software). Safe on several threads at once, each on its
// own files.

#include <functional>
#include <string>

#include "media/video_probe.h"
#include "media/video_tools.h"
#include "platform/result.h"

// The web copy's size for a size setting (480, 720, 1080): the video's shorter side at
// most size, its shape kept, never larger than the video, both sides even.
void VideoWebSize(const VideoProbe& probe, int size, int& width, int& height);

// True when the video plays in every current browser as it is and so is copied into its
// web copy without encoding: H.264 in a profile browsers play, yuv420p, AAC sound or none,
// no rotation to apply, and within size.
bool PlaysAsIs(const VideoProbe& probe, int size);

// The frame a video's poster shows, about a second in (the first frame of a shorter
// video), turned as players show it, written to png. Fails with the words "it is not a
// video that can be read" when ffmpeg finds no frame.
Result MakeVideoFrame(const VideoTools& tools, const std::string& video, const std::string& png,
                      const std::function<bool()>& stopped = {});

struct VideoWebCopyRequest {
    std::string source;
    // An MP4 file (H.264 High, yuv420p, AAC, its index at the front); made beside it under
    // a temporary name and renamed into place when whole, so that a stopped or failed
    // encode leaves what was there.
    std::string destination;
    int size = 720;   // as VideoWebSize takes it
    int threads = 0;  // given to ffmpeg; 0 lets it choose
    std::function<bool()> stopped{};
    // How far it is, 0 to 1, as ffmpeg reports it.
    std::function<void(double done)> progress{};
};

struct VideoWebCopy {
    bool remuxed = false;  // the streams were copied, not encoded
    int width = 0;
    int height = 0;
};

// Makes the web copy of a video probe describes. A time limit grows with the video's
// length; a stop kills ffmpeg and fails with the text "Stopped", of kind Stopped.
Result MakeVideoWebCopy(const VideoTools& tools, const VideoProbe& probe,
                        const VideoWebCopyRequest& request, VideoWebCopy& made);
