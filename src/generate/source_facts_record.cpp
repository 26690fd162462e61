#include "generate/source_facts_record.h"

#include <cerrno>
#include <charconv>
#include <sstream>
#include <utility>

#include "generate/album_record.h"
#include "media/image_size.h"
#include "media/photo_metadata.h"
#include "media/place_removal.h"
#include "platform/files.h"
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
        const bool same =
            now.size >= 0 && known != earlier.end() && known->second.size == now.size &&
            known->second.modified == now.modified && known->second.changed == now.changed;
        believed[source] = same;
        current[source] = same ? known->second : now;
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
    PhotoFacts facts = ReadPhotoFacts(path);
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

std::string SourceFactsRecord::ImageSize(const std::string& source, const std::string& path,
                                         int& width, int& height) {
    if (const SourceFacts* known = Believed(source); known != nullptr && known->measured) {
        width = known->width;
        height = known->height;
        return {};
    }
    std::string error = GetImageSize(path, width, height);
    if (SourceFacts* noted = Noting(source); noted != nullptr && error.empty()) {
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
    if (!job.smart || pictures.thumbnail.unreadable || pictures.thumbnail.damaged ||
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
