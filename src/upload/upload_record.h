#pragma once

// The record of what the last upload of a site left on a server: for each file below
// the remote folder, its size, its local modification time and a hash of its content.
// It lives beside the settings store (never on the server), one file per profile and
// remote folder, so the next upload can tell what changed without trusting the
// server's clock. A record that is missing, damaged, or written for another server or
// folder is no record at all: the upload then checks every file as if it had none.
// Losing it only costs time.
//
// Records are files of Mavren's own (ReadOwnFile, ReplaceOwnFile): a symbolic link put
// in a record's place is neither read nor written through nor given another mode, and a
// record over 64 MB (half a million files) is neither read nor written. Files are
// written through a synced temporary file, made readable by its owner only before any
// byte goes in, and a rename, so a crash leaves the old record or the new one. Safe
// from any thread; one upload at a time per record.

#include <cstdint>
#include <map>
#include <string>

#include "platform/result.h"

// What the record holds of one file (path relative to the local folder, "/" between
// levels).
struct RecordedFile {
    std::int64_t size = -1;
    std::int64_t modified = -1;  // the local file's modification time, in nanoseconds
    std::string hash;            // of the content, as lowercase hexadecimal

    bool operator==(const RecordedFile&) const = default;
};

struct UploadRecord {
    std::string server;  // "host:port user" as the upload connects
    std::string folder;  // the remote folder, absolute
    std::map<std::string, RecordedFile> files;
};

// Where the record of uploads with this profile into this remote folder lives.
std::string UploadRecordPath(const std::string& profileName, const std::string& server,
                             const std::string& folder);

// Reads the record at path into record. Fails NotFound when there is none; else, with the
// text that says why, when it is a link, too large (NoSpace), cannot be read or understood
// (DamagedInput), or names another server or folder than record already does; record.files
// is then empty.
Result LoadUploadRecord(const std::string& path, UploadRecord& record);

// Writes record to path, replacing what is there, readable by its owner only, and
// creates the folder when missing. A file whose path holds a line break, or whose hash
// is not lowercase hexadecimal, is left out (the next upload checks it again). Fails with
// the text that says why.
Result SaveUploadRecord(const std::string& path, const UploadRecord& record);

// Deletes the record at path, if any; a link in its place goes, not what it leads to.
void DeleteUploadRecord(const std::string& path);

// The hash of the content of the open file fd, read from its start, into hash; fails, with
// the system's description as text, when it cannot be read.
Result HashFileContent(int fd, std::string& hash);
