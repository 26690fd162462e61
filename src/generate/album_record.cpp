#include "generate/album_record.h"

#include <sys/stat.h>

#include <charconv>
#include <functional>
#include <sstream>

#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

namespace {

constexpr char kHeader[] = "Mavren album record 1";

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

bool ReadNumber(std::istringstream& line, std::int64_t& value) {
    std::string word;
    line >> word;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && !word.empty();
}

// The rest of the line after one blank: a path, which may hold blanks of its own.
std::string Rest(std::istringstream& line) {
    std::string rest;
    std::getline(line, rest);
    return rest.empty() ? rest : rest.substr(1);
}

}  // namespace

std::string AlbumRecordPath(const std::string& target) {
    return RegistryStoreFolder() + "/Album records/" + Fingerprint(target) + ".txt";
}

void LoadAlbumRecord(const std::string& path, AlbumRecord& record) {
    record.albums.clear();
    std::string text;
    if (!ReadWholeFile(path, text).ok()) {
        return;
    }
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader || !std::getline(lines, line) ||
        line != "target " + record.target) {
        return;
    }
    AlbumState* album = nullptr;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        std::int64_t numbers[3] = {};
        if (word == "album") {
            album = &record.albums[Rest(fields)];
        } else if (album == nullptr) {
            break;
        } else if (word == "fingerprint") {
            fields >> album->fingerprint;
        } else if (word == "cover" && ReadNumber(fields, numbers[0]) &&
                   ReadNumber(fields, numbers[1])) {
            album->coverWidth = static_cast<int>(numbers[0]);
            album->coverHeight = static_cast<int>(numbers[1]);
            album->cover = Rest(fields);
        } else if (word == "newest") {
            fields >> album->newest;
        } else if (word == "file" && ReadNumber(fields, numbers[0]) &&
                   ReadNumber(fields, numbers[1])) {
            album->outputs.push_back({Rest(fields), numbers[0], numbers[1]});
        } else {
            break;
        }
    }
    if (lines) {  // stopped at a line it does not know: a damaged record
        record.albums.clear();
    }
}

bool SaveAlbumRecord(const std::string& path, const AlbumRecord& record) {
    std::ostringstream text;
    text << kHeader << "\ntarget " << record.target << "\n";
    text.precision(17);
    for (const auto& [name, album] : record.albums) {
        if (HasLineBreak(name) || HasLineBreak(album.cover)) {
            continue;  // such an album is made again next time
        }
        text << "album " << name << "\nfingerprint " << album.fingerprint << "\ncover "
             << album.coverWidth << " " << album.coverHeight << " " << album.cover << "\nnewest "
             << album.newest << "\n";
        for (const AlbumOutputFile& file : album.outputs) {
            if (!HasLineBreak(file.path)) {
                text << "file " << file.size << " " << file.modified << " " << file.path << "\n";
            }
        }
    }
    return EnsureDirectoryPath(PathFolder(path), true).ok() &&
           WriteWholeFile(path, text.str()).ok();
}

std::string Fingerprint(const std::string& text) {
    // Two halves from differently led texts: a collision would make a changed album look
    // unchanged, so 64 bits are not left to chance alone.
    const std::hash<std::string> hash;
    return StringPrintf("%016zx%016zx", hash(text), hash("\x01" + text));
}

AlbumOutputFile OutputFileNow(const std::string& folder, const std::string& relative) {
    AlbumOutputFile file{relative};
    struct stat status;
    if (::stat(JoinPath(folder, relative).c_str(), &status) == 0) {
        file.size = status.st_size;
        file.modified =
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    }
    return file;
}

bool OutputsIntact(const std::string& folder, const AlbumState& state) {
    for (const AlbumOutputFile& file : state.outputs) {
        if (file.size < 0 || OutputFileNow(folder, file.path) != file) {
            return false;
        }
    }
    return true;
}
