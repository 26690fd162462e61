#pragma once

// What the upload worker needs of a server (FTP, FTPS or SFTP), as an interface so that
// the worker can also be driven by a fake: folders (change, create, name, list and
// remove), the size and time of a file in the current folder, a remote file to write in
// blocks, reading a file back or asking for its hash (to check what the server kept), and
// deleting a file.
//
// Every call that can fail returns a Result (see InternetFailure): error() is
// ERROR_INTERNET_EXTENDED_ERROR when the server refused (the text is its reply line) or
// ERROR_INTERNET_CONNECTION_ABORTED when the connection failed. A client and its files
// belong to one thread, and at most one remote file is open at a time.

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "upload/internet_errors.h"
#include "work/stop_flag.h"

// What a server knows of one of its files; -1 where it did not say.
struct RemoteFileStatus {
    std::int64_t size = -1;
    std::time_t lastWriteTime = -1;  // seconds since the epoch, UTC
};

// One entry of a folder on the server, as its listing tells it.
struct RemoteEntry {
    std::string name;
    bool folder = false;      // a folder; false for files and links alike
    bool link = false;        // a link, whatever it leads to
    bool mayBeLink = false;   // a folder the listing could not tell from a link to one
    std::string unique;       // the server's name for the thing itself ("unique" fact), if given
    RemoteFileStatus status;  // size and time, where the listing gives them
};

// A file on the server being written. Destroying it without Close closes it all the same.
class FtpRemoteFile {
  public:
    virtual ~FtpRemoteFile() = default;
    // Sends size bytes; fails when they could not be sent (or a stop came first).
    virtual Result Write(const char* data, std::size_t size) = 0;
    // Ends the file; fails when the server did not confirm it whole.
    virtual Result Close() = 0;
    // Ends the file at once without sending what is still on its way, and with it the
    // connection; the server keeps what it received.
    virtual void Abort() = 0;
    // The bytes of the file sent to the server so far.
    virtual std::int64_t BytesSent() const = 0;
};

class FtpClient {
  public:
    virtual ~FtpClient() = default;

    // Changes the server's current folder; a relative folder is taken from the current
    // one. The empty text names the current folder itself.
    virtual Result SetCurrentDirectory(const std::string& folder) = 0;
    // Creates one folder.
    virtual Result CreateDirectory(const std::string& folder) = 0;
    // The server's current folder as the server names it.
    virtual Result GetCurrentDirectory(std::string& folder) = 0;
    // Whether name is a file in the current folder, asking the server afresh: ok with found
    // set when it is, status getting what the server says of it; ok with found clear when
    // it is not there (or is no file); failed, found clear, when the server could not say.
    virtual Result FindFile(const std::string& name, RemoteFileStatus& status, bool& found) = 0;
    // Opens name in the current folder for writing, binary, replacing what is there, into
    // file; file is null on failure.
    virtual Result OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) = 0;
    // Opens name in the current folder for writing on from byte from, keeping the bytes
    // before it: a transfer that was cut goes on where it stopped. BytesSent of the file
    // counts from there. Fails, file null, also where the server cannot do it.
    virtual Result ResumeFile(const std::string& name, std::int64_t from,
                              std::unique_ptr<FtpRemoteFile>& file) {
        (void)name;
        (void)from;
        file.reset();
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The server cannot go on with a file.");
    }
    // The size of name in the current folder as the server tells it now (never from a
    // listing made before): ok with found set and size, or found clear when there is no
    // such file; failed when the server could not say. A server that has no way to tell a
    // file's size fails with ERROR_INTERNET_EXTENDED_ERROR.
    virtual Result SizeOf(const std::string& name, std::int64_t& size, bool& found) {
        RemoteFileStatus status;
        Result asked = FindFile(name, status, found);
        size = found ? status.size : -1;
        return asked;
    }
    // Reads name in the current folder from byte from to its end, as the server sends it,
    // into bytes; fails when more than limit bytes come (the connection may be lost then),
    // and, bytes empty, where the server cannot send files.
    virtual Result ReadToEnd(const std::string& name, std::int64_t from, std::int64_t limit,
                             std::string& bytes) {
        (void)name;
        (void)from;
        (void)limit;
        bytes.clear();
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, "The server cannot send a file.");
    }
    // The hash of the whole of name in the current folder by a command the server offers
    // for it: algorithm gets its name as OpenSSL knows it ("SHA256", "SHA1", "MD5") and
    // hex the hash in lowercase hexadecimal. Fails with ERROR_INTERNET_EXTENDED_ERROR, and
    // algorithm empty, where the server offers none.
    virtual Result HashOf(const std::string& name, std::string& algorithm, std::string& hex) {
        (void)name;
        algorithm.clear();
        hex.clear();
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The server offers no command that hashes a file.");
    }
    // The entries of the current folder, without the folder itself and its parent, each
    // name once. Fails when the listing failed, was cut short or could not be read whole:
    // a listing that is not all there must never pass for a folder with less in it.
    virtual Result ListFolder(std::vector<RemoteEntry>& entries) = 0;
    // The entries of the folder at the full path folder, which does not become current;
    // links may show as what they lead to. Where the server can, in one request: cheaper
    // than changing into the folder first. The times may be those of a long listing (to
    // the minute or the day).
    virtual Result ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) {
        Result entered = SetCurrentDirectory(folder);
        return entered.ok() ? ListFolder(entries) : entered;
    }
    // Deletes a file, or an empty folder, of the current folder.
    virtual Result DeleteFile(const std::string& name) = 0;
    virtual Result RemoveDirectory(const std::string& name) = 0;
    // Deletes the files names of folder, the full path of the current folder, as many at
    // once as the server takes (one by one here). Stops at the first that could not be
    // deleted: failed gets its name and the Result says why; the names before it are gone.
    virtual Result DeleteFiles(const std::string& folder, const std::vector<std::string>& names,
                               std::string& failed) {
        (void)folder;
        failed.clear();
        for (const std::string& name : names) {
            if (Result deleted = DeleteFile(name); !deleted.ok()) {
                failed = name;
                return deleted;
            }
        }
        return Result::Ok();
    }
    // Logs out and closes the connection; later calls fail.
    virtual void Close() = 0;

    // From now on every request ends early, failing, once *flag is not 0 (the upload's
    // stop flag); null for never.
    virtual void SetStopFlag(const StopFlag* flag) { (void)flag; }
};
