#include "media/video_copies.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/format.h"
#include "platform/temporary_files.h"
#include "platform/watched_child.h"

namespace {

constexpr double kFrameSeconds = 30;
// An encode may take some twenty times the video's length on a slow machine; a video
// whose length is not known is given as long as one of a minute.
constexpr double kCopyBaseSeconds = 120;
constexpr double kCopySecondsPerSecond = 20;
constexpr double kUnknownLengthSeconds = 60;
// On 1080p clips with film grain, veryfast took 55 % of medium's time at CRF 23 and gave a
// file a quarter smaller of the same SSIM.
constexpr const char* kPreset = "veryfast";

// What every run of ffmpeg starts with: no questions, no banner, only real errors, the
// temporary output (made empty beforehand) overwritten.
std::vector<std::string> FfmpegStart(const VideoTools& tools) {
    return {tools.ffmpeg, "-nostdin", "-hide_banner", "-v", "error", "-y"};
}

void Append(std::vector<std::string>& arguments, std::vector<std::string> more) {
    for (std::string& argument : more) {
        arguments.push_back(std::move(argument));
    }
}

// The input, as "-i" and the file, with ffmpeg's defaults for turning the picture upright.
void AppendInput(std::vector<std::string>& arguments, const std::string& video) {
    std::vector<std::string> input = VideoInputArguments(video);
    input.insert(input.end() - 1, "-i");
    Append(arguments, std::move(input));
}

// Nothing of the source but its pictures and sound: no tags (place, device, time), no
// chapters, no subtitle or data tracks (where phones keep place and motion data), no
// version of the program that wrote it.
void AppendNoMetadata(std::vector<std::string>& arguments) {
    Append(arguments, {"-map_metadata", "-1", "-map_chapters", "-1", "-sn", "-dn", "-fflags",
                       "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact"});
}

// x264 writes its version and settings into the stream, as an SEI unit (NAL type 6),
// and so may a phone's encoder; H.264 plays without them.
void AppendNoEncoderNotes(std::vector<std::string>& arguments) {
    Append(arguments, {"-bsf:v", "filter_units=remove_types=6"});
}

off_t FileSize(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

// 0, or the errno value why the folder path is to be in could not be made.
int MakeFolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, error);
    }
    return error.value();
}

// A temporary file beside destination that ffmpeg writes over; removed when it goes
// unless it was renamed into place.
class TemporaryOutput {
  public:
    explicit TemporaryOutput(const std::string& destination) : destination(destination) {
        error = MakeFolderOf(destination);
        if (error != 0) {
            return;
        }
        if (const Expected<UniqueFd> made = CreateTemporaryBeside(destination, path); !made.ok()) {
            error = made.failure().error();
            path.clear();
        }
    }
    ~TemporaryOutput() {
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
    }
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // Whether it could be made; when not, why.
    Result Made() const {
        return error != 0 ? Result::FromErrno("create", destination, error) : Result::Ok();
    }
    const std::string& Path() const { return path; }

    Result Keep() {
        if (::rename(path.c_str(), destination.c_str()) != 0) {
            return Result::FromErrno("rename", destination, errno);
        }
        path.clear();
        return Result::Ok();
    }

  private:
    std::string destination;
    std::string path;
    int error = 0;
};

// How a run of ffmpeg that did not end well is told.
Result Failed(const WatchedChildEnd& end, double limit) {
    if (end.stopped) {
        return Result::Failure("Stopped", Result::Kind::Stopped);
    }
    if (!end.start.ok()) {
        return Result::Failure(MissingVideoToolsText({}));
    }
    if (end.timedOut) {
        return Result::Failure(
            StringPrintf("it could not be converted within %d seconds", static_cast<int>(limit)));
    }
    return Result::Failure(std::string(kUnreadableVideoText), Result::Kind::DamagedInput);
}

}  // namespace

void VideoWebSize(const VideoProbe& probe, int size, int& width, int& height) {
    const long long shorter = std::min(probe.width, probe.height);
    const auto fitted = [&](long long side) {
        const long long scaled =
            shorter > size && shorter > 0 ? (side * size + shorter / 2) / shorter : side;
        // H.264 in 4:2:0 takes only even sides.
        return static_cast<int>(std::max(2LL, scaled / 2 * 2));
    };
    width = fitted(probe.width);
    height = fitted(probe.height);
}

bool PlaysAsIs(const VideoProbe& probe, int size) {
    static constexpr std::string_view kProfiles[] = {"High", "Main", "Constrained Baseline"};
    int width = 0;
    int height = 0;
    VideoWebSize(probe, size, width, height);
    return probe.videoCodec == "h264" &&
           std::find(std::begin(kProfiles), std::end(kProfiles), probe.profile) !=
               std::end(kProfiles) &&
           probe.pixelFormat == "yuv420p" &&
           (probe.audioCodec.empty() || probe.audioCodec == "aac") && probe.rotation == 0 &&
           std::min(probe.width, probe.height) <= size && width == probe.width &&
           height == probe.height;
}

Result MakeVideoFrame(const VideoTools& tools, const std::string& video, const std::string& png,
                      const std::function<bool()>& stopped) {
    if (tools.ffmpeg.empty()) {
        return Result::Failure(MissingVideoToolsText(tools));
    }
    TemporaryOutput output(png);
    if (Result made = output.Made(); !made.ok()) {
        return made;
    }
    // A second in, past a fade from black; a shorter video has no frame there and gets
    // its first. The seek before the input jumps to the nearest key frame instead of
    // decoding everything before it.
    for (const bool seek : {true, false}) {
        WatchedChildRun run{FfmpegStart(tools), kFrameSeconds, stopped};
        if (seek) {
            Append(run.arguments, {"-ss", "1"});
        }
        AppendInput(run.arguments, video);
        AppendNoMetadata(run.arguments);
        Append(run.arguments, {"-map", "0:V:0", "-frames:v", "1", "-c:v", "png", "-pix_fmt",
                               "rgb24", "-f", "image2", "-update", "1", "file:" + output.Path()});
        const WatchedChildEnd end = RunWatchedChild(run);
        if (!end.ok()) {
            return Failed(end, kFrameSeconds);
        }
        if (FileSize(output.Path()) > 0) {
            return output.Keep();
        }
    }
    return Result::Failure(std::string(kUnreadableVideoText), Result::Kind::DamagedInput);
}

Result MakeVideoWebCopy(const VideoTools& tools, const VideoProbe& probe,
                        const VideoWebCopyRequest& request, VideoWebCopy& made) {
    made = VideoWebCopy();
    if (tools.ffmpeg.empty()) {
        return Result::Failure(MissingVideoToolsText(tools));
    }
    TemporaryOutput output(request.destination);
    if (Result created = output.Made(); !created.ok()) {
        return created;
    }
    made.remuxed = PlaysAsIs(probe, request.size);
    VideoWebSize(probe, request.size, made.width, made.height);

    WatchedChildRun run{FfmpegStart(tools)};
    Append(run.arguments, {"-nostats", "-progress", "pipe:1"});
    const std::string threads = std::to_string(request.threads);
    if (request.threads > 0) {
        Append(run.arguments, {"-threads", threads, "-filter_threads", threads});
    }
    AppendInput(run.arguments, request.source);
    Append(run.arguments, {"-map", "0:V:0", "-map", "0:a:0?"});
    AppendNoMetadata(run.arguments);
    if (made.remuxed) {
        Append(run.arguments, {"-c", "copy"});
    } else {
        // The picture is turned upright before it is scaled (ffmpeg's default), so the
        // copy carries no turn for a player to apply again.
        Append(run.arguments, {"-vf", StringPrintf("scale=%d:%d,setsar=1", made.width, made.height),
                               "-c:v", "libx264", "-profile:v", "high", "-preset", kPreset, "-crf",
                               "23", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "128k", "-af",
                               "aformat=channel_layouts=mono|stereo"});
        if (request.threads > 0) {
            Append(run.arguments, {"-threads", threads});
        }
    }
    AppendNoEncoderNotes(run.arguments);
    Append(run.arguments, {"-max_muxing_queue_size", "4096", "-movflags", "+faststart", "-f", "mp4",
                           "file:" + output.Path()});

    const double length = probe.seconds > 0 ? probe.seconds : kUnknownLengthSeconds;
    run.timeLimitSeconds = kCopyBaseSeconds + kCopySecondsPerSecond * length;
    run.stopped = request.stopped;
    if (request.progress && probe.seconds > 0) {
        run.onLine = [&](const std::string& line) {
            // out_time_ms is in microseconds too, in the ffmpeg of Debian 12.
            static constexpr std::string_view kTime = "out_time_us=";
            if (line.compare(0, kTime.size(), kTime) == 0) {
                long long microseconds = 0;
                if (std::sscanf(line.c_str() + kTime.size(), "%lld", &microseconds) == 1) {
                    request.progress(std::clamp(microseconds / 1e6 / probe.seconds, 0.0, 1.0));
                }
            } else if (line == "progress=end") {
                request.progress(1);
            }
        };
    } else {
        // The progress lines are of no use then; they are read and dropped.
        run.onLine = [](const std::string&) {};
    }
    const WatchedChildEnd end = RunWatchedChild(run);
    if (!end.ok() || FileSize(output.Path()) <= 0) {
        return Failed(end, run.timeLimitSeconds);
    }
    return output.Keep();
}
