#include "upload/upload_record.h"

#include <unistd.h>

#include <charconv>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry_store.h"
#include "platform/xdg_folders.h"
#include "upload/content_hash.h"

namespace {

constexpr std::string_view kHeader = "Mavren upload record 1";
constexpr mode_t kFileMode = 0600;
constexpr unsigned kFolderMode = 0700;
constexpr std::size_t kNameLength = 40;
// A line is about 100 bytes and the path: room for half a million files, and a record
// that size is read in well under a second.
constexpr std::size_t kMegabyte = 1024 * 1024;
constexpr std::size_t kMaxRecordSize = 64 * kMegabyte;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool IsHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool ParseNumber(std::string_view text, std::int64_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

// Takes the text up to the next tab off line.
bool TakeField(std::string_view& line, std::string_view& field) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        return false;
    }
    field = line.substr(0, tab);
    line.remove_prefix(tab + 1);
    return true;
}

// "<size>\t<modified>\t<hash>\t<path>"; the path is the rest, tabs and all, but no
// zero byte, which no path holds.
bool ParseFileLine(std::string_view line, std::string& path, RecordedFile& file) {
    std::string_view size, modified, hash;
    if (line.find('\0') != std::string_view::npos || !TakeField(line, size) ||
        !TakeField(line, modified) || !TakeField(line, hash) || !ParseNumber(size, file.size) ||
        !ParseNumber(modified, file.modified) || !IsHex(hash) || line.empty()) {
        return false;
    }
    file.hash = hash;
    path = line;
    return true;
}

// The record's lines without their line feeds; false when the last one lacks its own.
bool SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return false;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

std::string UploadRecordPath(const std::string& profileName, const std::string& server,
                             const std::string& folder) {
    std::string name;
    for (const char c : profileName.substr(0, kNameLength)) {
        name += IsNameCharacter(c) ? c : '_';
    }
    ContentHash place;
    place.Add(server + "\n" + folder);
    // The first 8 bytes of the hash tell the places apart well enough.
    return RegistryStoreFolder() + "/Upload records/" + name + "-" + place.Finish().substr(0, 16) +
           ".txt";
}

Result LoadUploadRecord(const std::string& path, UploadRecord& record) {
    record.files.clear();
    std::string text;
    if (Result read = ReadOwnFile(path, kMaxRecordSize, text); !read.ok()) {
        if (read.kind() == Result::Kind::NotFound) {
            return read;  // no record yet
        }
        std::string problem;
        if (read.kind() == Result::Kind::NoSpace) {
            problem = "The record of the last upload (" + path + ") is larger than " +
                      std::to_string(kMaxRecordSize / kMegabyte) + " MB and is not read.";
        } else if (read.error() == ELOOP) {
            // ReadOwnFile's sign of a link in the file's place; no kind names it.
            problem = "The record of the last upload (" + path +
                      ") is a symbolic link, which Mavren does not follow.";
        } else {
            problem = "The record of the last upload cannot be read: " + read.reason() + ".";
        }
        return std::move(read).WithText(std::move(problem));
    }
    const std::string damaged = "The record of the last upload (" + path + ") is damaged: ";
    std::vector<std::string_view> lines;
    const bool whole = SplitLines(text, lines);
    // The first line that is not what it should be, counted from 1; 0 when all are.
    std::size_t bad = 0;
    std::string_view server, folder;
    if (lines.empty() || lines[0] != kHeader) {
        bad = 1;
    } else if (lines.size() < 2 || !lines[1].starts_with("server\t")) {
        bad = 2;
    } else if (lines.size() < 3 || !lines[2].starts_with("folder\t")) {
        bad = 3;
    } else {
        server = lines[1].substr(7);
        folder = lines[2].substr(7);
    }
    std::map<std::string, RecordedFile> files;
    for (std::size_t i = 3; bad == 0 && i + 1 < lines.size(); ++i) {
        std::string name;
        RecordedFile file;
        if (!ParseFileLine(lines[i], name, file) || !files.emplace(name, file).second) {
            bad = i + 1;
        }
    }
    const auto damagedLine = [&damaged](std::size_t number) {
        return Result::Failure(damaged + "line " + std::to_string(number) + " cannot be read.",
                               Result::Kind::DamagedInput);
    };
    if (bad != 0) {
        return damagedLine(bad);
    }
    if (!whole || lines.size() < 4 || !lines.back().starts_with("end ")) {
        return Result::Failure(damaged + "it ends before its last line.",
                               Result::Kind::DamagedInput);
    }
    std::int64_t count = -1;
    if (!ParseNumber(lines.back().substr(4), count) ||
        count != static_cast<std::int64_t>(files.size())) {
        return damagedLine(lines.size());
    }
    if ((!record.server.empty() && record.server != server) ||
        (!record.folder.empty() && record.folder != folder)) {
        return Result::Failure("The record of the last upload (" + path +
                               ") belongs to another server or folder.");
    }
    record.server = server;
    record.folder = folder;
    record.files = std::move(files);
    return Result::Ok();
}

Result SaveUploadRecord(const std::string& path, const UploadRecord& record) {
    const std::string cannot = "The record of the upload cannot be saved to " + path + ": ";
    if (record.server.find('\n') != std::string::npos ||
        record.folder.find('\n') != std::string::npos) {
        return Result::Failure(cannot + "the server or folder name holds a line break.");
    }
    std::string text =
        std::string(kHeader) + "\nserver\t" + record.server + "\nfolder\t" + record.folder + "\n";
    std::size_t count = 0;
    for (const auto& [name, file] : record.files) {
        // What could not be read back is left out: its file is checked again next time.
        if (name.empty() || name.find('\n') != std::string::npos || !IsHex(file.hash)) {
            continue;
        }
        text += std::to_string(file.size) + "\t" + std::to_string(file.modified) + "\t" +
                file.hash + "\t" + name + "\n";
        ++count;
    }
    text += "end " + std::to_string(count) + "\n";
    if (text.size() > kMaxRecordSize) {
        return Result::Failure(cannot + "it would be larger than " +
                                   std::to_string(kMaxRecordSize / kMegabyte) + " MB.",
                               Result::Kind::NoSpace);
    }
    if (Result made = CreateFolderPath(PathFolder(path), kFolderMode); !made.ok()) {
        const int error = made.error();
        return std::move(made).WithText(cannot + ErrorCodeText(error));
    }
    // A link put in the record's place is replaced, never written through.
    if (Result written = ReplaceOwnFile(path, text, kFileMode); !written.ok()) {
        const int error = written.error();
        return std::move(written).WithText(cannot + ErrorCodeText(error));
    }
    return Result::Ok();
}

void DeleteUploadRecord(const std::string& path) {
    ::unlink(path.c_str());  // a link in its place goes, not what it leads to
}

Result HashFileContent(int fd, std::string& hash) {
    Expected<std::string> hashed =
        HashFilePart(fd, 0, std::numeric_limits<std::uint64_t>::max(), "SHA256");
    if (!hashed.ok()) {
        return hashed.failure();
    }
    hash = std::move(*hashed);
    return Result::Ok();
}
