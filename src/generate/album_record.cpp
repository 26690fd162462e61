#include "generate/album_record.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <functional>
#include <sstream>
#include <utility>

#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

namespace {

constexpr char kHeader[] = "Mavren album record 2";
constexpr char kEarlierHeader[] = "Mavren album record 1";  // names no program

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

// Reads the albums from the lines after the header ones; the number of the first line
// that cannot be read (counted from 1), or 0 when all can.
int ReadAlbums(std::istringstream& lines, int number, AlbumRecord& record) {
    AlbumState* album = nullptr;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        std::int64_t numbers[2] = {};
        if (word == "album") {
            album = &record.albums[Rest(fields)];
        } else if (album == nullptr) {
            return number;
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
            return number;
        }
    }
    return 0;
}

}  // namespace

std::string AlbumTarget(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error) {
        return folder;
    }
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    std::string text = (error ? absolute.lexically_normal() : resolved).string();
    while (text.size() > 1 && text.ends_with('/')) {
        text.pop_back();
    }
    return text;
}

std::string ProgramFileIdentity(const std::string& path) {
    return path.empty() ? std::string() : AlbumTarget(path);
}

std::string AlbumRecordPath(const std::string& target) {
    return EarlierAlbumRecordPath(AlbumTarget(target));
}

std::string EarlierAlbumRecordPath(const std::string& target) {
    return RegistryStoreFolder() + "/Album records/" + Fingerprint(target) + ".txt";
}

Result LoadAlbumRecord(const std::string& path, const std::string& target, AlbumRecord& record) {
    record.target = AlbumTarget(target);
    record.program.clear();
    record.albums.clear();
    std::string text;
    if (Result read = ReadOwnFile(path, kAlbumRecordLimit, text); !read.ok()) {
        if (read.kind() == Result::Kind::NotFound) {
            return read;
        }
        std::string reason = read.text();
        if (reason.ends_with('\n')) {
            reason.pop_back();
        }
        return std::move(read).WithText("The record of the albums cannot be read: " + reason);
    }
    std::istringstream lines(text);
    std::string line;
    int bad = 0;
    std::string header;
    std::getline(lines, header);
    if (header != kHeader && header != kEarlierHeader) {
        bad = 1;
    } else if (!std::getline(lines, line) ||
               (line != "target " + record.target && line != "target " + target)) {
        bad = 2;
    } else if (header == kHeader) {
        if (!std::getline(lines, line) || !line.starts_with("program /")) {
            bad = 3;
        } else {
            record.program = line.substr(8);
        }
    }
    if (bad == 0) {
        bad = ReadAlbums(lines, header == kHeader ? 3 : 2, record);
    }
    if (bad != 0) {
        record.program.clear();
        record.albums.clear();
        return Result::Failure(
            StringPrintf("The record of the albums (%s) is damaged: line %d cannot be read.",
                         path.c_str(), bad),
            Result::Kind::DamagedInput);
    }
    return Result::Ok();
}

Result SaveAlbumRecord(const std::string& path, const AlbumRecord& record) {
    if (HasLineBreak(record.target) || HasLineBreak(record.program)) {
        return Result::Failure(
            "the name of the target folder or of the program file holds a "
            "line break");
    }
    std::ostringstream text;
    text << kHeader << "\ntarget " << record.target << "\nprogram " << record.program << "\n";
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
    if (Result folder = EnsureDirectoryPath(PathFolder(path), true); !folder.ok()) {
        return folder;
    }
    return ReplaceOwnFile(path, text.str(), 0600);
}

std::string Fingerprint(const std::string& text) {
    // Two halves from differently led texts: a collision would make a changed album look
    // unchanged, so 64 bits are not left to chance alone.
    const std::hash<std::string> hash;
    return StringPrintf("%016zx%016zx", hash(text), hash("\x01" + text));
}

AlbumOutputFile OutputFileNow(const std::string& folder, const std::string& relative,
                              FolderStats* stats) {
    AlbumOutputFile file{relative};
    struct stat status;
    const std::string path = JoinPath(folder, relative);
    if (stats != nullptr ? stats->Stat(path, status).ok() : ::stat(path.c_str(), &status) == 0) {
        file.size = status.st_size;
        file.modified =
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    }
    return file;
}

bool OutputsIntact(const std::string& folder, const AlbumState& state) {
    FolderStats stats;
    for (const AlbumOutputFile& file : state.outputs) {
        if (file.size < 0 || OutputFileNow(folder, file.path, &stats) != file) {
            return false;
        }
    }
    return true;
}
