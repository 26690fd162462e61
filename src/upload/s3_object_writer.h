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

// What OpenS3Object returns, for a caller that wants to know more than of any remote file.
class S3ObjectFile : public FtpRemoteFile {
  public:
    // The bytes of the object that went to the server in this attempt: parts an earlier
    // attempt left there and taken up are not among them (BytesSent counts them).
    virtual std::int64_t BytesTransferred() const = 0;
};

struct S3ObjectOptions {
    // Parts on their way at once, each on a connection of its own from more; with 1 (or
    // no connection from more) the parts go one by one through the first connection.
    int partsAtOnce = 1;
    // The upload's stop flag: the parts on their way end within a second once it is set,
    // also while Write or Close waits for them. Null for none.
    const StopFlag* stop = nullptr;
    // Larger objects go in parts of partSize (S3 takes parts of 5 MB and more, but the
    // last); smaller sizes are for tests.
    std::int64_t multipartThreshold = kS3MultipartThreshold;
    std::int64_t partSize = kS3PartSize;
};

// A remote file that writes the object key (the full key, prefix included) through
// connection, with up to partsAtOnce parts of a multipart upload on their way at once
// (connections beyond the first come from more). Same thread as connection.
std::unique_ptr<S3ObjectFile> OpenS3Object(S3Connection& connection, S3ConnectionMaker more,
                                           const std::string& key, const S3ObjectOptions& options);
std::unique_ptr<FtpRemoteFile> OpenS3Object(S3Connection& connection, S3ConnectionMaker more,
                                            int partsAtOnce, const std::string& key,
                                            const StopFlag* stop = nullptr);
