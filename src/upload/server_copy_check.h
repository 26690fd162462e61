#pragma once

// Whether the copy a server keeps of a file is the local file's bytes, for a file whose
// transfer was cut: before the sending goes on from where the server's copy ends (a server
// that kept its earlier copy, or one that misreports the size of its copy, must not get
// the rest appended), and after it did. Where the server hashes files (FtpClient::HashOf)
// the hash of its whole copy is compared with that of the local bytes; elsewhere the last
// 64 KiB of the copy are read back, to the end the server has, and compared: a copy that
// ends elsewhere than the server said, or ends otherwise than the file, is not it. Runs on
// the connection's thread.

#include <cstdint>
#include <string>

#include "platform/result.h"
#include "upload/ftp_client.h"

// The bytes read back from the end of a copy.
inline constexpr std::int64_t kCheckedTail = 64 * 1024;

// Ok when the server's copy of name (in the connection's current folder) holds the first
// length bytes of the open local file fd, and no more, as far as its hash or its last bytes
// tell. Fails with ERROR_INTERNET_EXTENDED_ERROR and a text that says how the copy differs,
// or that the server could not tell; with the connection's failure when the connection
// failed.
Result CheckServerCopy(FtpClient& connection, const std::string& name, int fd, std::int64_t length);
