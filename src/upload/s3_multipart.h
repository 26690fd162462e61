#pragma once

// The requests of an S3 multipart upload, each sent through one S3Connection and its
// answer read: the unfinished uploads of a key and their parts (paged), create, send a
// part, complete and abort; with the MD5 a part is checked by. A refusal fails with
// ERROR_INTERNET_EXTENDED_ERROR and the server's error code and message as text; a server
// that is busy or failing (5xx, 429) with ERROR_INTERNET_CONNECTION_ABORTED, so that the
// upload tries again as after a lost connection. The functions keep no state; each
// request belongs to the thread of its connection.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "upload/s3_request.h"

// A part the server holds; etag as the server gave it (with its quotes).
struct S3Part {
    int number = 0;
    std::int64_t size = 0;
    std::string etag;
};

struct S3UnfinishedUpload {
    std::string uploadId;
    std::string initiated;  // ISO 8601 in UTC, as the server gave it
};

// The MD5 of bytes in lowercase hexadecimal and in base64 (Content-MD5).
struct S3Md5 {
    std::string hex;
    std::string base64;
};
S3Md5 S3Md5Of(std::string_view bytes);

// True when etag (quoted or not, any case) is hex: a part's ETag is the MD5 of its bytes.
bool S3EtagIsMd5(std::string_view etag, const std::string& hex);

// Ok when response is a success (2xx without an error document in its body); else the
// failure, its text beginning with what (a request's name).
Result S3Answer(const S3Response& response, const std::string& what);

// The request that puts bytes as the object key in one go, with headers (the object's
// Content-Type and Cache-Control) and the Content-MD5 and x-amz-meta-sha256 of bytes.
S3Request S3PutObjectRequest(const std::string& key, std::string_view bytes,
                             std::vector<std::pair<std::string, std::string>> headers);

// The unfinished uploads of exactly key (not of keys that only begin with it), oldest
// first.
Result S3ListUnfinishedUploads(S3Connection& connection, const std::string& key,
                               std::vector<S3UnfinishedUpload>& uploads);
// The parts of that upload, by number.
Result S3ListParts(S3Connection& connection, const std::string& key, const std::string& uploadId,
                   std::vector<S3Part>& parts);
// A new upload of key, with the object's headers.
Result S3CreateMultipartUpload(S3Connection& connection, const std::string& key,
                               const std::vector<std::pair<std::string, std::string>>& headers,
                               std::string& uploadId);
// Sends one part with its Content-MD5; etag gets the part's ETag.
Result S3UploadPart(S3Connection& connection, const std::string& key, const std::string& uploadId,
                    int number, std::string_view bytes, const S3Md5& md5, std::string& etag);
// Makes the object of parts, which are in order of number.
Result S3CompleteMultipartUpload(S3Connection& connection, const std::string& key,
                                 const std::string& uploadId, const std::vector<S3Part>& parts);
Result S3AbortMultipartUpload(S3Connection& connection, const std::string& key,
                              const std::string& uploadId);
