#pragma once

// What the last run of a site of albums made of each album, so the next run can leave an
// album alone when nothing it is made from has changed: a fingerprint of its inputs, its
// cover and newest picture for the parent's entry, and every file it wrote with the size
// and time that file had. The record lives beside the settings store, one file per target
// folder; one that is missing or damaged is no record at all and only costs time (every
// album is made again). Written through a temporary file and a rename. Used by one run at
// a time on the generation worker thread.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/date_time.h"

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
    std::string target;                        // the target folder the record is for
    std::map<std::string, AlbumState> albums;  // by the album's path, "" for the top
};

// Where the record of the site generated into target lives.
std::string AlbumRecordPath(const std::string& target);

// Reads the record at path; one that cannot be read, is damaged or names another target
// than record.target gives no albums.
void LoadAlbumRecord(const std::string& path, AlbumRecord& record);

// Writes record to path, making its folder. False when that fails (the next run then
// makes every album again).
bool SaveAlbumRecord(const std::string& path, const AlbumRecord& record);

// A short, stable digest of text, as hexadecimal.
std::string Fingerprint(const std::string& text);

// The output file at path (absolute) as the record keeps it; size -1 when it is missing.
AlbumOutputFile OutputFileNow(const std::string& folder, const std::string& relative);

// True when every output of the state is still there as the run left it.
bool OutputsIntact(const std::string& folder, const AlbumState& state);
