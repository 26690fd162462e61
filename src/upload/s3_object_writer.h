#pragma once

// Writing one object to an S3-compatible bucket as the upload worker writes a file: block
// by block, never more than a few parts in memory. Up to kS3MultipartThreshold the bytes
// are kept and go in one PUT, with Content-MD5 and their SHA-256 signed and kept as
// x-amz-meta-sha256. A larger file goes as a multipart upload: parts of kS3PartSize sent
// on several connections at once, completed on Close. After a failure, a multipart upload
// of the same key that an earlier attempt left unfinished is taken up again: a part whose
// size and MD5 (its ETag) match the bytes now written is not sent again.
//
// Every object gets its Content-Type and Cache-Control (s3_object_headers.h). An object
// is there whole or not at all: Abort or a failure before Close leaves the bucket's earlier
// object as it was (the parts of a multipart upload stay for the next attempt).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "upload/ftp_client.h"
#include "upload/s3_request.h"

inline constexpr std::int64_t kS3MultipartThreshold = 16 * 1024 * 1024;
inline constexpr std::int64_t kS3PartSize = 8 * 1024 * 1024;

// Makes a further connection to the same endpoint for parts sent at once; null when it
// could not.
using S3ConnectionMaker = std::function<std::unique_ptr<S3Connection>()>;

// A remote file that writes the object key (the full key, prefix included) through
// connection, with up to partsAtOnce parts of a multipart upload on their way at once
// (connections beyond the first come from more). Same thread as connection.
std::unique_ptr<FtpRemoteFile> OpenS3Object(S3Connection& connection, S3ConnectionMaker more,
                                            int partsAtOnce, const std::string& key);
