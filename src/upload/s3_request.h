#pragma once

// One request to an S3-compatible service, signed with AWS Signature Version 4 by
// libcurl (CURLOPT_AWS_SIGV4), with what libcurl leaves out or gets wrong done here: the
// x-amz-content-sha256 header, the query sorted and encoded as S3 canonicalizes it, object
// keys percent-encoded byte by byte, no blank Expect header, and the path sent as it is.
// Addressing is path-style (https://HOST/BUCKET/KEY), which every S3-compatible service
// takes and a gateway on a plain host name needs.
//
// An S3Connection reuses one CurlTransfer, so requests of one thread share a kept-alive
// connection. It belongs to the thread that uses it.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/result.h"
#include "upload/internet_session.h"
#include "work/stop_flag.h"

// Where and as whom requests go.
struct S3Endpoint {
    std::string host;  // "s3.example.com" or "127.0.0.1:7480"
    bool https = true;
    std::string region;  // never empty: kDefaultS3Region when the profile names none
    std::string accessKey;
    std::string secret;
    std::string bucket;
};

struct S3Request {
    std::string method = "GET";  // GET, HEAD, PUT, POST, DELETE
    std::string key;             // the object's key as it is, unencoded; empty for the bucket
    // Query parameters unencoded, in any order; a parameter without a value ("uploads")
    // has an empty second.
    std::vector<std::pair<std::string, std::string>> query;
    // Further headers ("Content-Type", "Cache-Control", "x-amz-meta-sha256", "Content-MD5").
    std::vector<std::pair<std::string, std::string>> headers;
    // The body, when there is one; it stays the caller's until Send returns. Its SHA-256
    // is signed as x-amz-content-sha256.
    const char* body = nullptr;
    std::size_t bodySize = 0;
};

struct S3Response {
    long status = 0;  // the HTTP status; 0 when no answer came
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
    std::string body;
    // From an S3 error document: its Code ("NoSuchBucket", "SignatureDoesNotMatch",
    // "RequestTimeTooSkewed", ...) and Message; empty when the answer was none.
    std::string errorCode;
    std::string errorMessage;

    // The value of the header of that name (lower case), or the empty text.
    std::string Header(const std::string& name) const;
};

class S3Connection {
  public:
    S3Connection(std::shared_ptr<InternetSession> session, S3Endpoint endpoint);
    ~S3Connection();
    S3Connection(const S3Connection&) = delete;
    S3Connection& operator=(const S3Connection&) = delete;

    const S3Endpoint& Endpoint() const;

    // Sends request and fills response. Ok when an answer came, whatever its status (the
    // caller reads the status and error code); a failure with
    // ERROR_INTERNET_CONNECTION_ABORTED when none came (no connection, a time-out, a stop).
    Result Send(const S3Request& request, S3Response& response);

    // Requests end early, failing, once *flag is not 0; null for never.
    void SetStopFlag(const StopFlag* flag);
    // Ends a request under way at once (another thread may not call it: a stop goes by
    // the stop flag).
    void Abort();

  private:
    struct State;
    std::unique_ptr<State> state;
};

// The key percent-encoded as S3 canonicalizes it: every byte but A-Z a-z 0-9 - . _ ~ and
// "/" as %XX with upper-case hex.
std::string S3EncodeKey(const std::string& key);

// The query as S3 canonicalizes it: each name and value encoded as a key is but with "/"
// encoded too, sorted by name then value, "name=value" joined by "&" (a parameter without
// a value as "name=").
std::string S3CanonicalQuery(std::vector<std::pair<std::string, std::string>> query);
