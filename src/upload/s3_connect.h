#pragma once

// Opening an upload's S3 client: the profile's folder "BUCKET/PREFIX" split and the
// bucket's name checked before any request, then one listing of the folder (at most one
// key) that proves the server is S3-compatible storage, takes the key and its secret,
// has the bucket and lets the key list it, and that this computer's clock is near enough
// to the server's. Each of those failures gets a text that says what to do. Runs on the
// thread of the upload connection it makes.

#include <memory>
#include <string>

#include "platform/expected.h"
#include "upload/s3_client.h"
#include "upload/upload_worker.h"

// A profile's folder taken apart.
struct S3Folder {
    std::string bucket;
    std::string prefix;  // without a "/" at either end; empty for the whole bucket
};

// "BUCKET" and "PREFIX" of a profile's folder ("BUCKET/PREFIX", "BUCKET" or "/BUCKET/");
// fails, with what to do as text, when it names no valid bucket.
Expected<S3Folder> SplitS3Folder(const std::string& folder);

// What the tests change: the batch sizes, and how far this computer's clock seems off in
// seconds (the first request says it is that much later than it is).
struct S3ConnectOptions {
    S3ClientLimits limits = {};
    long clockShift = 0;
};

// The client for the job, or why there is none: of kind Refused when the storage does not
// take the key or its secret.
Expected<std::unique_ptr<FtpClient>> ConnectS3(const UploadJob& job,
                                               const S3ConnectOptions& options = {});
