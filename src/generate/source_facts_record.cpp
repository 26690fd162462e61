#include "generate/source_facts_record.h"

#include <fcntl.h>

#include <cerrno>
#include <charconv>
#include <functional>
#include <sstream>
#include <string_view>
#include <utility>

#include "generate/album_record.h"
#include "media/image_size.h"
#include "media/photo_metadata.h"
#include "media/place_removal.h"
#include "media/video_tools.h"
#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

namespace {

// A later version that keeps more writes a higher number and may read this one's.
constexpr char kHeader[] = "Mavren source record 1";

std::int64_t Nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileStamp FileNow(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        return {};
    }
    return {status.st_size, Nanoseconds(status.st_mtim)};
}

// Camera texts may hold line breaks; the record keeps one field a line.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '\n' || c == '\r') {
            out += '\\';
            out += c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

template <typename Number>
bool ReadNumbers(std::istringstream& fields, std::initializer_list<Number*> numbers) {
    for (Number* number : numbers) {
        std::string word;
        fields >> word;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), *number);
        if (error != std::errc() || end != word.data() + word.size() || word.empty()) {
            return false;
        }
    }
    return true;
}

// The rest of the line after one blank.
std::string Rest(std::istringstream& fields) {
    std::string rest;
    std::getline(fields, rest);
    return rest.empty() ? rest : rest.substr(1);
}

bool ReadPicture(std::istringstream& fields, SourceFacts& source) {
    int role = 0;
    int flags[2] = {};
    RecordedPicture picture;
    if (!ReadNumbers<int>(fields, {&role, &picture.width, &picture.height}) ||
        !ReadNumbers<std::int64_t>(fields, {&picture.file.size, &picture.file.modified}) ||
        !ReadNumbers<int>(fields, {&flags[0]}) ||
        !ReadNumbers<std::int64_t>(fields, {&picture.webpFile.size, &picture.webpFile.modified}) ||
        !ReadNumbers<int>(fields, {&flags[1]}) ||
        !ReadNumbers<std::int64_t>(fields, {&picture.avifFile.size, &picture.avifFile.modified}) ||
        role < 0 || role >= static_cast<int>(source.pictures.size())) {
        return false;
    }
    picture.webp = flags[0] != 0;
    picture.avif = flags[1] != 0;
    picture.path = Rest(fields);
    source.pictures[static_cast<std::size_t>(role)] = std::move(picture);
    return !source.pictures[static_cast<std::size_t>(role)].path.empty();
}

// Reads the sources after the header lines; false at the first line that cannot be read.
bool ReadSources(std::istringstream& lines, std::map<std::string, SourceFacts>& sources) {
    SourceFacts* source = nullptr;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        bool read = true;
        if (word == "source") {
            SourceFacts fresh;
            read =
                ReadNumbers<std::int64_t>(fields, {&fresh.size, &fresh.modified, &fresh.changed});
            source = &(sources[Rest(fields)] = fresh);
        } else if (source == nullptr) {
            read = false;
        } else if (word == "size") {
            read = ReadNumbers<int>(fields, {&source->width, &source->height});
            source->measured = true;
        } else if (word == "taken") {
            source->factsRead = true;
            read = static_cast<bool>(fields >> source->facts.taken);
        } else if (word == "camera") {
            source->facts.camera = Unescaped(Rest(fields));
        } else if (word == "exposure") {
            source->facts.exposure = Unescaped(Rest(fields));
        } else if (word == "caption") {
            source->facts.caption = Unescaped(Rest(fields));
        } else if (word == "place") {
            read = ReadNumbers<int>(fields, {&source->place});
        } else if (word == "transparent") {
            read = ReadNumbers<int>(fields, {&source->transparent});
        } else if (word == "job") {
            fields >> source->job;
        } else if (word == "picture") {
            read = ReadPicture(fields, *source);
        } else if (word == "video") {
            VideoProbe& probe = source->probe;
            read = ReadNumbers<int>(fields, {&probe.width, &probe.height, &probe.rotation}) &&
                   static_cast<bool>(fields >> probe.seconds >> probe.taken);
            source->probed = read;
        } else if (word == "codecs") {
            VideoProbe& probe = source->probe;
            fields >> probe.videoCodec >> probe.pixelFormat >> probe.audioCodec;
            probe.audioCodec = probe.audioCodec == "-" ? "" : probe.audioCodec;
        } else if (word == "profile") {
            source->probe.profile = Rest(fields);
        } else if (word == "digest") {
            fields >> source->digest;
        } else if (word == "videocopy") {
            RecordedPicture& copy = source->videoCopy;
            int remuxed = 0;
            read = ReadNumbers<int>(fields,
                                    {&source->videoSize, &remuxed, &copy.width, &copy.height}) &&
                   ReadNumbers<std::int64_t>(fields, {&copy.file.size, &copy.file.modified});
            source->remuxed = remuxed != 0;
            copy.path = Rest(fields);
            read = read && !copy.path.empty();
        } else {
            read = false;
        }
        if (!read) {
            return false;
        }
    }
    return true;
}

void WriteSource(std::ostringstream& text, const std::string& path, const SourceFacts& source) {
    text << "source " << source.size << " " << source.modified << " " << source.changed << " "
         << path << "\n";
    if (source.measured) {
        text << "size " << source.width << " " << source.height << "\n";
    }
    if (source.factsRead) {
        text << "taken " << source.facts.taken << "\ncamera " << Escaped(source.facts.camera)
             << "\nexposure " << Escaped(source.facts.exposure) << "\ncaption "
             << Escaped(source.facts.caption) << "\n";
    }
    if (source.place >= 0) {
        text << "place " << source.place << "\n";
    }
    if (source.transparent >= 0) {
        text << "transparent " << source.transparent << "\n";
    }
    if (source.probed && !HasLineBreak(source.probe.profile)) {
        const VideoProbe& probe = source.probe;
        const auto word = [](const std::string& text) {
            return text.empty() || text.find(' ') != std::string::npos ? std::string("-") : text;
        };
        text << "video " << probe.width << " " << probe.height << " " << probe.rotation << " "
             << probe.seconds << " " << probe.taken << "\ncodecs " << word(probe.videoCodec) << " "
             << word(probe.pixelFormat) << " " << word(probe.audioCodec) << "\nprofile "
             << probe.profile << "\n";
    }
    if (!source.digest.empty()) {
        text << "digest " << source.digest << "\n";
    }
    if (const RecordedPicture& copy = source.videoCopy;
        !copy.path.empty() && !HasLineBreak(copy.path)) {
        text << "videocopy " << source.videoSize << " " << source.remuxed << " " << copy.width
             << " " << copy.height << " " << copy.file.size << " " << copy.file.modified << " "
             << copy.path << "\n";
    }
    if (source.job.empty()) {
        return;
    }
    text << "job " << source.job << "\n";
    for (std::size_t role = 0; role < source.pictures.size(); ++role) {
        const RecordedPicture& picture = source.pictures[role];
        if (!picture.path.empty() && !HasLineBreak(picture.path)) {
            text << "picture " << role << " " << picture.width << " " << picture.height << " "
                 << picture.file.size << " " << picture.file.modified << " " << picture.webp << " "
                 << picture.webpFile.size << " " << picture.webpFile.modified << " " << picture.avif
                 << " " << picture.avifFile.size << " " << picture.avifFile.modified << " "
                 << picture.path << "\n";
        }
    }
}

// The paths a job asks for, in the order of SourceFacts::pictures.
std::array<const std::string*, 4> Requested(const PictureSetRequest& job) {
    return {&job.thumbnail, &job.thumbnail2x, &job.webCopy, &job.phoneCopy};
}

std::array<PictureOutput*, 4> Outputs(PictureSet& pictures) {
    return {&pictures.thumbnailFile, &pictures.thumbnail2x, &pictures.web, &pictures.phone};
}

bool SiblingIntact(bool present, const std::string& path, const FileStamp& file) {
    return !present || (file.size >= 0 && FileNow(path) == file);
}

}  // namespace

std::string PictureJobFingerprint(const PictureSetRequest& job) {
    std::ostringstream text;
    text << job.source << '\n'
         << job.thumbnail << '\n'
         << job.boxSize << '\n'
         << job.thumbnail2x << '\n'
         << job.webCopy << '\n'
         << job.phoneCopy << '\n'
         << job.webSize << ' ' << job.webQuality << ' ' << job.keepCameraData << ' ' << job.webp
         << ' ' << job.avif;
    return Fingerprint(text.str());
}

std::string SourceFactsRecord::PathOf(const std::string& target) {
    return RegistryStoreFolder() + "/Source records/" + Fingerprint(AlbumTarget(target)) + ".txt";
}

SourceFactsRecord SourceFactsRecord::Load(const std::string& target) {
    SourceFactsRecord record;
    record.written = target;
    record.target = AlbumTarget(target);
    std::string text;
    if (!ReadOwnFile(PathOf(target), kLimit, text).ok()) {
        return record;
    }
    record.loaded = text;
    std::istringstream lines(text);
    std::string header;
    std::string line;
    if (!std::getline(lines, header) || header != kHeader || !std::getline(lines, line) ||
        line != "target " + record.target || !ReadSources(lines, record.earlier)) {
        record.earlier.clear();
        record.loaded.clear();
    }
    return record;
}

void SourceFactsRecord::Check(const std::vector<std::string>& sources) {
    current.clear();
    believed.clear();
    for (const std::string& source : sources) {
        SourceFacts now;
        struct stat status;
        if (::stat(source.c_str(), &status) == 0) {
            now.size = status.st_size;
            now.modified = Nanoseconds(status.st_mtim);
            now.changed = Nanoseconds(status.st_ctim);
        }
        const auto known = earlier.find(source);
        const bool sameSize =
            now.size >= 0 && known != earlier.end() && known->second.size == now.size;
        bool same = sameSize && known->second.modified == now.modified &&
                    known->second.changed == now.changed;
        // A video copied anew keeps its bytes but not its times: read it rather than encode
        // it again.
        const bool sameBytes = !same && sameSize && !known->second.digest.empty() &&
                               ContentDigest(source) == known->second.digest;
        believed[source] = same || sameBytes;
        current[source] = same || sameBytes ? known->second : now;
        if (sameBytes) {
            current[source].modified = now.modified;
            current[source].changed = now.changed;
        }
    }
}

const SourceFacts* SourceFactsRecord::Believed(const std::string& source) const {
    const auto found = believed.find(source);
    return found != believed.end() && found->second ? &earlier.at(source) : nullptr;
}

SourceFacts* SourceFactsRecord::Noting(const std::string& source) {
    const auto found = current.find(source);
    return found != current.end() ? &found->second : nullptr;
}

std::string SourceFactsRecord::Full(const std::string& relative) const {
    return relative.starts_with('/') ? relative : JoinPath(written, relative);
}

std::string SourceFactsRecord::Relative(const std::string& full) const {
    const std::string folder = JoinPath(written, "");
    return full.starts_with(folder) ? full.substr(folder.size()) : full;
}

PhotoFacts SourceFactsRecord::Facts(const std::string& source, const std::string& path) {
    if (const SourceFacts* known = Believed(source); known != nullptr && known->factsRead) {
        return known->facts;
    }
    PhotoFacts facts;
    if (IsVideoFile(path)) {
        // The time the container says it was recorded, else the file's.
        VideoProbe probe;
        if (Video(source, path, probe).ok()) {
            facts.taken = probe.taken;
        }
        struct stat status;
        if (facts.taken == 0 && ::stat(path.c_str(), &status) == 0) {
            facts.taken = OleDateFromTime(status.st_mtime);
        }
    } else {
        facts = ReadPhotoFacts(path);
    }
    if (SourceFacts* noted = Noting(source); noted != nullptr) {
        noted->facts = facts;
        noted->factsRead = true;
    }
    return facts;
}

bool SourceFactsRecord::CarriesPlace(const std::string& source, const std::string& path) {
    if (const SourceFacts* known = Believed(source); known != nullptr && known->place >= 0) {
        return known->place == 1;
    }
    const bool place = ::CarriesPlace(path);
    if (SourceFacts* noted = Noting(source); noted != nullptr) {
        noted->place = place ? 1 : 0;
    }
    return place;
}

bool SourceFactsRecord::Transparent(const std::string& source, const std::string& path) {
    if (const SourceFacts* known = Believed(source); known != nullptr && known->transparent >= 0) {
        return known->transparent == 1;
    }
    const bool transparent = PngHasTransparency(path);
    if (SourceFacts* noted = Noting(source); noted != nullptr) {
        noted->transparent = transparent ? 1 : 0;
    }
    return transparent;
}

Result SourceFactsRecord::ImageSize(const std::string& source, const std::string& path, int& width,
                                    int& height) {
    if (const SourceFacts* known = Believed(source); known != nullptr && known->measured) {
        width = known->width;
        height = known->height;
        return Result::Ok();
    }
    Result error = GetImageSize(path, width, height);
    if (SourceFacts* noted = Noting(source); noted != nullptr && error.ok()) {
        noted->measured = true;
        noted->width = width;
        noted->height = height;
    }
    return error;
}

bool SourceFactsRecord::KnownPictures(const PictureSetRequest& job, PictureSet& pictures) const {
    const SourceFacts* known = Believed(job.source);
    if (known == nullptr || !job.smart || known->job.empty() ||
        known->job != PictureJobFingerprint(job)) {
        return false;
    }
    PictureSet found;
    const auto requested = Requested(job);
    const auto outputs = Outputs(found);
    for (std::size_t role = 0; role < known->pictures.size(); ++role) {
        const RecordedPicture& picture = known->pictures[role];
        if (picture.path.empty()) {
            continue;
        }
        const std::string full = Full(picture.path);
        if (full != *requested[role] || FileNow(full) != picture.file ||
            !SiblingIntact(picture.webp, WebpSibling(full), picture.webpFile) ||
            !SiblingIntact(picture.avif, AvifSibling(full), picture.avifFile)) {
            return false;
        }
        *outputs[role] = {true, false, picture.width, picture.height, picture.webp, picture.avif};
    }
    if (!job.thumbnail.empty()) {
        found.thumbnail.kind = ThumbnailOutcome::Kind::Kept;
    }
    pictures = std::move(found);
    return true;
}

void SourceFactsRecord::NotePictures(const PictureSetRequest& job, const PictureSet& pictures) {
    SourceFacts* noted = Noting(job.source);
    if (noted == nullptr) {
        return;
    }
    noted->job.clear();
    noted->pictures = {};
    // A picture that failed is tried again next time: only a whole set is kept.
    const bool unreadable = !pictures.thumbnail.failure.ok() &&
                            pictures.thumbnail.failure.kind() == Result::Kind::DamagedInput;
    if (!job.smart || unreadable || pictures.thumbnail.damaged ||
        (!job.thumbnail.empty() && !pictures.thumbnailFile.exists) ||
        (!job.webCopy.empty() && !pictures.web.exists)) {
        return;
    }
    const auto requested = Requested(job);
    PictureSet copy = pictures;
    const auto outputs = Outputs(copy);
    for (std::size_t role = 0; role < noted->pictures.size(); ++role) {
        const PictureOutput& output = *outputs[role];
        if (requested[role]->empty() || !output.exists) {
            continue;
        }
        const std::string& full = *requested[role];
        RecordedPicture& picture = noted->pictures[role];
        picture.path = Relative(full);
        picture.width = output.width;
        picture.height = output.height;
        picture.file = FileNow(full);
        picture.webp = job.webp && output.webp;
        picture.avif = job.avif && output.avif;
        if (picture.webp) {
            picture.webpFile = FileNow(WebpSibling(full));
        }
        if (picture.avif) {
            picture.avifFile = FileNow(AvifSibling(full));
        }
        if (picture.file.size < 0) {
            noted->pictures = {};
            return;
        }
    }
    noted->job = PictureJobFingerprint(job);
}

Result SourceFactsRecord::Save() const {
    if (HasLineBreak(target)) {
        return Result::Failure("the name of the target folder holds a line break");
    }
    std::ostringstream text;
    text.precision(17);
    text << kHeader << "\ntarget " << target << "\n";
    for (const auto& [source, facts] : current) {
        if (!HasLineBreak(source) && facts.size >= 0) {
            WriteSource(text, source, facts);
        }
    }
    if (text.str() == loaded) {
        return Result::Ok();  // a rerun that learned nothing new spares the disk a sync
    }
    const std::string path = PathOf(written);
    if (Result folder = EnsureDirectoryPath(PathFolder(path), true); !folder.ok()) {
        return folder;
    }
    return ReplaceOwnFile(path, text.str(), 0600);
}

const VideoTools& SourceFactsRecord::Tools() {
    if (!toolsFound) {
        tools = FindVideoTools();
        toolsFound = true;
    }
    return tools;
}

Result SourceFactsRecord::Video(const std::string& source, const std::string& path,
                                VideoProbe& probe) {
    if (const SourceFacts* known = Believed(source); known != nullptr && known->probed) {
        probe = known->probe;
        return Result::Ok();
    }
    SourceFacts* noted = Noting(source);
    if (noted != nullptr && noted->probed) {
        probe = noted->probe;
        return Result::Ok();
    }
    Result read = ProbeVideo(Tools(), path, probe);
    if (read.ok() && noted != nullptr) {
        noted->probed = true;
        noted->probe = probe;
    }
    return read;
}

bool SourceFactsRecord::KnownVideoCopy(const std::string& source, const std::string& destination,
                                       int size, VideoWebCopy& made) const {
    const SourceFacts* known = Believed(source);
    if (known == nullptr || known->videoCopy.path.empty() || known->videoSize != size ||
        Full(known->videoCopy.path) != destination ||
        FileNow(destination) != known->videoCopy.file) {
        return false;
    }
    made = {.remuxed = known->remuxed,
            .width = known->videoCopy.width,
            .height = known->videoCopy.height};
    return true;
}

void SourceFactsRecord::NoteVideoCopy(const std::string& source, const std::string& destination,
                                      int size, const VideoWebCopy& made) {
    SourceFacts* noted = Noting(source);
    if (noted == nullptr) {
        return;
    }
    noted->videoSize = size;
    noted->remuxed = made.remuxed;
    noted->videoCopy = {};
    noted->videoCopy.path = Relative(destination);
    noted->videoCopy.width = made.width;
    noted->videoCopy.height = made.height;
    noted->videoCopy.file = FileNow(destination);
    if (noted->digest.empty()) {
        noted->digest = ContentDigest(source);
    }
}

std::string ContentDigest(const std::string& path) {
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return {};
    }
    // Two differently seeded 64-bit hashes of every block, chained: this tells a video
    // touched by a copy from one whose bytes changed, and no one gains by forging it.
    std::vector<char> block(1 << 20);
    const std::hash<std::string_view> hash;
    std::uint64_t first = 0x9e3779b97f4a7c15u;
    std::uint64_t second = 0xc2b2ae3d27d4eb4fu;
    std::uint64_t length = 0;
    for (;;) {
        const Expected<std::size_t> got = ReadAll(file.get(), block.data(), block.size());
        if (!got.ok()) {
            return {};
        }
        if (*got == 0) {
            break;
        }
        const std::string_view bytes(block.data(), *got);
        length += *got;
        first = (first ^ hash(bytes)) * 0x100000001b3u;
        second = ((second << 7 | second >> 57) ^ hash(bytes.substr(1))) * 0xff51afd7ed558ccdu;
    }
    return StringPrintf("%016llx%016llx%llx", static_cast<unsigned long long>(first),
                        static_cast<unsigned long long>(second),
                        static_cast<unsigned long long>(length));
}
