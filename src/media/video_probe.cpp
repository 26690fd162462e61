#include "media/video_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string_view>

#include "platform/watched_child.h"

namespace {

constexpr double kProbeSeconds = 30;

// ffprobe's "flat" output, "streams.stream.0.codec_name="h264"", as key and value with
// the quotes and escapes taken off.
using Fields = std::map<std::string, std::string, std::less<>>;

Fields ParseFlat(const std::string& output) {
    Fields fields;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) {
            end = output.size();
        }
        const std::string_view line(output.data() + start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        std::string_view value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        std::string unescaped;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            unescaped += value[i];
        }
        fields.emplace(std::string(line.substr(0, equals)), std::move(unescaped));
    }
    return fields;
}

std::string Field(const Fields& fields, const std::string& key) {
    const auto found = fields.find(key);
    return found == fields.end() ? "" : found->second;
}

double Number(const Fields& fields, const std::string& key) {
    const std::string text = Field(fields, key);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value) ? value : 0;
}

// The degrees a player turns the picture clockwise, as a quarter turn: the display
// matrix counts them the other way; the older "rotate" tag counts them clockwise.
int Rotation(const Fields& fields, const std::string& stream) {
    double degrees = 0;
    if (const std::string matrix = Field(fields, stream + "side_data_list.side_data.0.rotation");
        !matrix.empty()) {
        degrees = -Number(fields, stream + "side_data_list.side_data.0.rotation");
    } else {
        degrees = Number(fields, stream + "tags.rotate");
    }
    const long quarters = std::lround(degrees / 90);
    return static_cast<int>(((quarters % 4) + 4) % 4) * 90;
}

// "2023-05-01T10:20:30.000000Z" (UTC) in local time; 0 for none, and for the epochs a
// camera whose clock was never set writes (1904, 1970).
OleDate TakenFrom(const std::string& text) {
    std::tm time{};
    if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &time.tm_year, &time.tm_mon, &time.tm_mday,
                    &time.tm_hour, &time.tm_min, &time.tm_sec) != 6 ||
        time.tm_year <= 1970) {
        return 0;
    }
    time.tm_year -= 1900;
    time.tm_mon -= 1;
    const std::time_t t = ::timegm(&time);
    return t == static_cast<std::time_t>(-1) ? 0 : OleDateFromTime(t);
}

// The prefix of the first stream of a kind ("video" skips cover pictures); "" for none.
std::string FirstStream(const Fields& fields, std::string_view kind) {
    for (int index = 0;; ++index) {
        const std::string stream = "streams.stream." + std::to_string(index) + ".";
        const std::string type = Field(fields, stream + "codec_type");
        if (type.empty()) {
            return "";
        }
        if (type == kind && Field(fields, stream + "disposition.attached_pic") != "1") {
            return stream;
        }
    }
}

}  // namespace

Result ProbeVideo(const VideoTools& tools, const std::string& path, VideoProbe& probe) {
    probe = VideoProbe();
    if (tools.ffprobe.empty()) {
        return Result::Failure(MissingVideoToolsText(tools));
    }
    WatchedChildRun run{{tools.ffprobe, "-v", "error", "-show_entries",
                         "format=duration:format_tags=creation_time:"
                         "stream=codec_type,codec_name,profile,pix_fmt,width,height,duration,"
                         "sample_aspect_ratio:stream_disposition=attached_pic:"
                         "stream_tags=rotate,creation_time:stream_side_data=rotation",
                         "-of", "flat"},
                        kProbeSeconds};
    for (std::string& argument : VideoInputArguments(path)) {
        run.arguments.push_back(std::move(argument));
    }
    const WatchedChildEnd end = RunWatchedChild(run);
    if (!end.start.ok()) {
        return Result::Failure(MissingVideoToolsText({tools.ffmpeg, ""}));
    }
    const Fields fields = ParseFlat(end.output);
    const std::string video = FirstStream(fields, "video");
    const int width = static_cast<int>(Number(fields, video + "width"));
    const int height = static_cast<int>(Number(fields, video + "height"));
    if (!end.ok() || video.empty() || width < 1 || height < 1) {
        return Result::Failure(std::string(kUnreadableVideoText), Result::Kind::DamagedInput);
    }
    probe.width = width;
    probe.height = height;
    // Pixels that are not square are shown wider or narrower than stored.
    int across = 0;
    int down = 0;
    if (std::sscanf(Field(fields, video + "sample_aspect_ratio").c_str(), "%d:%d", &across,
                    &down) == 2 &&
        across > 0 && down > 0 && across != down) {
        probe.width = std::max(1, static_cast<int>(std::lround(1.0 * width * across / down)));
    }
    probe.rotation = Rotation(fields, video);
    if (probe.rotation % 180 != 0) {
        std::swap(probe.width, probe.height);
    }
    probe.seconds = Number(fields, "format.duration");
    if (probe.seconds <= 0) {
        probe.seconds = Number(fields, video + "duration");
    }
    std::string taken = Field(fields, "format.tags.creation_time");
    probe.taken = TakenFrom(taken.empty() ? Field(fields, video + "tags.creation_time") : taken);
    probe.videoCodec = Field(fields, video + "codec_name");
    probe.profile = Field(fields, video + "profile");
    probe.pixelFormat = Field(fields, video + "pix_fmt");
    if (const std::string audio = FirstStream(fields, "audio"); !audio.empty()) {
        probe.audioCodec = Field(fields, audio + "codec_name");
    }
    return Result::Ok();
}
