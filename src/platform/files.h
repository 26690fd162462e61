#pragma once

// Whole-file reading and writing, folder and file checks, and system error texts.
// Reads, writes and checks come back as a Result: the texts of ReadWholeFile,
// ReadLimitedFile and WriteWholeFile name the file and end in a line feed, the others say
// what each says; folder checks may ask a question first. Nothing here keeps state.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/result.h"

// Reads the file as it is (CR LF stays two bytes) into contents. A file that holds a
// zero byte is binary and refused. On failure contents is empty and the text says why.
Result ReadWholeFile(const std::string& path, std::string& contents);

// What ReadLimitedFile does with a file larger than its limit.
enum class OverLimit {
    Refuse,     // reads nothing; the text names the file, its size and the limit
    ReadStart,  // reads the first limit bytes as if they were the whole file
};

// ReadWholeFile for at most limit bytes, measured on the file opened, so that a file
// given by mistake (a film named like a page) costs neither minutes nor gigabytes.
Result ReadLimitedFile(const std::string& path, std::string& contents, std::size_t limit,
                       OverLimit over);

// Reads a regular file of at most limit bytes, whatever they are, into bytes. Opens
// non-blocking, so a named pipe cannot hang it; a file that shrinks meanwhile gives what
// is there, one that grows its old length. A file over the limit is not read: error() is
// EFBIG and the text names the file, its size and the limit, as ReadLimitedFile's refusal.
// Any other failure (missing, unreadable, not a regular file) comes from errno.
Result ReadFileBytes(const std::string& path, std::size_t limit, std::string& bytes);

// Files of Mavren's own that nobody else should have written (the records of uploads and
// albums): a symbolic link put in their place is never followed, so what it leads to is
// neither read nor replaced nor given another mode.
//
// ReadOwnFile is ReadFileBytes for such a file: a link in its place fails with ELOOP.
// ReplaceOwnFile writes data through a synced temporary file in the same folder, made with
// mode before any byte goes in, and renames it over path: a link there is replaced by the
// file, the file it led to stays as it was. A failure names its step as
// ReplaceFileContents's do.
Result ReadOwnFile(const std::string& path, std::size_t limit, std::string& bytes);
Result ReplaceOwnFile(const std::string& path, std::string_view data, mode_t mode);

// Replaces the file with text. The bytes go to a temporary file in the same folder that
// is then renamed over the old one, keeping its permissions, so a failed write leaves the
// old file whole. On failure the text says why.
Result WriteWholeFile(const std::string& path, std::string_view text);

// The replacement WriteWholeFile makes; with sync the data reaches the disk before the
// rename, for files a crash must not lose (programs, settings). A symbolic link stays a
// link: its target is replaced. A failure names its step ("open", "write", "sync",
// "close" or "rename"), the file the step worked on and the errno value.
Result ReplaceFileContents(const std::string& path, std::string_view data, bool sync);

// Ok when path is a folder, there already or made now. A missing folder whose parent
// exists is created, after a Yes/No question unless createWithoutAsking is set. A failure
// from errno names its step and path: a file in the way ("mkdir", EEXIST), a missing
// parent ("stat" of the parent), the mkdir's own; the answer No is a Failure without
// errno that says the folder was not created.
Result EnsureDirectory(const std::string& path, bool createWithoutAsking);

// EnsureDirectory for a whole path: a missing folder is made with every missing folder
// above it, after the same one question unless createWithoutAsking is set. A file in
// the way (asked nothing), a folder that cannot be made, or the answer No fail as there.
Result EnsureDirectoryPath(const std::string& path, bool createWithoutAsking);

// True when a and b are the same folder, also when written differently ("photos",
// "photos/." and "/home/ann/photos", or through a link); "" is the current folder.
bool SameFolder(const std::string& a, const std::string& b);

// Ok when path names an existing file that is not a folder; otherwise the text says why,
// for a front end that shows it in a stop box.
Result CheckRequiredFile(const std::string& path);

// One-line description of an errno value; one the system does not know is said to be
// unknown.
std::string ErrorCodeText(int code);
