#pragma once

// What the last run of a site of albums made of each album, so the next run can leave an
// album alone when nothing it is made from has changed, and may remove only what it made
// of an album that is gone: the program file whose runs made them, and for each album a
// fingerprint of its inputs, its cover and newest picture for the parent's entry, and
// every file it wrote with the size and time that file had. The record lives beside the
// settings store, one file per target folder, readable by its owner only; a link put in
// its place is never followed. One that is missing, damaged or too large is no record at
// all: every album is made again, and none that is gone is removed. Used by one run at a
// time on the generation worker thread.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/folder_stats.h"
#include "platform/result.h"

struct AlbumOutputFile {
    std::string path;  // relative to the album's folder
    std::int64_t size = -1;
    std::int64_t modified = -1;  // nanoseconds

    bool operator==(const AlbumOutputFile&) const = default;
};

struct AlbumState {
    std::string fingerprint;
    std::string cover;  // relative to the album's folder; empty: none
    int coverWidth = 0;
    int coverHeight = 0;
    OleDate newest = 0;
    std::vector<AlbumOutputFile> outputs;
};

struct AlbumRecord {
    std::string target;  // the target folder, as AlbumTarget gives it
    // The program file (as ProgramFileIdentity gives it) whose runs made the albums; empty
    // in a record an earlier version wrote, which names none.
    std::string program;
    std::map<std::string, AlbumState> albums;  // by the album's path, "" for the top
};

// A record larger than this is not read: a site of 20,000 photos needs about 10 MB.
inline constexpr std::size_t kAlbumRecordLimit = 64 * 1024 * 1024;

// The folder as records name it: absolute, with the links in the part that exists
// resolved, so that every spelling of one folder gives one record.
std::string AlbumTarget(const std::string& folder);

// The program file as records name it, in the same way; empty for a program never saved.
std::string ProgramFileIdentity(const std::string& path);

// Where the record of the site generated into target (a Target-Dir as written) lives.
std::string AlbumRecordPath(const std::string& target);

// Where earlier versions kept it: by the Target-Dir as written. The same as
// AlbumRecordPath when that is already absolute and free of links.
std::string EarlierAlbumRecordPath(const std::string& target);

// Reads the record at path of the site generated into target (a Target-Dir as written).
// Ok when there is one; a failure of kind NotFound when there is none, else one whose text
// is a status line: it cannot be read, is larger than kAlbumRecordLimit or is damaged
// (DamagedInput). Records of earlier versions, which name no program, are read too.
// record gets the albums read (none on failure) and its target.
Result LoadAlbumRecord(const std::string& path, const std::string& target, AlbumRecord& record);

// Writes record to path, making its folder, through a temporary file that replaces it
// (a link there included) with mode 0600. A failure names its step, or says that the
// target or the program file has a line break in its name, which a record cannot hold;
// the next run then makes every album again.
Result SaveAlbumRecord(const std::string& path, const AlbumRecord& record);

// A short, stable digest of text, as hexadecimal.
std::string Fingerprint(const std::string& text);

// The output file at path (absolute) as the record keeps it; size -1 when it is missing.
// stats (when given) asks the system, sparing a walk of the whole path for files of a
// folder it asked about before.
AlbumOutputFile OutputFileNow(const std::string& folder, const std::string& relative,
                              FolderStats* stats = nullptr);

// True when every output of the state is still there as the run left it.
bool OutputsIntact(const std::string& folder, const AlbumState& state);
