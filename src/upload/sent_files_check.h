#pragma once

// The check that the server kept every file an upload sent whole: one listing of each
// folder the files went to (rather than a question per file, which costs a round trip
// each), and each file's size there against the bytes sent. A folder that cannot be
// listed by its path is listed from within; one that cannot be listed at all has each
// file's size asked for. Runs on the thread of the connection it is given, whose current
// folder it may change.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"
#include "upload/ftp_client.h"

// A file sent whole, as the check takes it.
struct SentFile {
    std::string path;        // relative to the site, "/" between levels
    std::int64_t bytes = 0;  // sent
};

// How each file fared, in the order given: why the server's copy is not what was sent,
// or the empty text when it is.
using SentFileFindings = std::vector<std::string>;

// Why the server's copy of name, found or not, with kept bytes, is not the sent bytes; the
// empty text when it is.
std::string SentFileFinding(const std::string& name, bool found, std::int64_t kept,
                            std::int64_t sent);

// Looks up each file below remoteRoot (absolute), folder by folder. Fails with the
// connection's failure, or a server's refusal to list or to tell a size; findings then
// holds what was found before.
Result CheckSentFiles(FtpClient& connection, const std::string& remoteRoot,
                      const std::vector<SentFile>& files, SentFileFindings& findings);
