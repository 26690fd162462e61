#pragma once

// The upload worker's view of an S3-compatible bucket (see FtpClient): folders are the
// "/"-separated pieces of the keys, and the tree starts at the server's top, the bucket its
// one folder: "/BUCKET/site/a.htm" is the object "site/a.htm" of BUCKET. A folder exists as
// soon as it is named: changing into one and creating one ask nothing of the server, and
// removing one removes only a "FOLDER/" marker object where there is one. A listing is
// ListObjectsV2 with "/" as the delimiter, page by page, and holds nothing outside the
// folder it lists. Sizes and hashes come from a HEAD of the object (the hash from the
// x-amz-meta-sha256 that Mavren stores with each object). Files go as objects
// (s3_object_writer.h), whole or not at all, so ResumeFile fails. Files of one folder are
// deleted in batches (DeleteObjects).
//
// Belongs to one thread, as its connection does.

#include <memory>
#include <string>
#include <vector>

#include "upload/ftp_client.h"
#include "upload/s3_object_writer.h"
#include "upload/s3_request.h"

// Batch sizes: S3's own limits. Tests lower them to reach a second page with few objects.
struct S3ClientLimits {
    int listingPage = 1000;  // keys a listing page asks for
    int deleteBatch = 1000;  // keys one DeleteObjects takes
};

class S3Client final : public FtpClient {
  public:
    // connection goes to the endpoint's bucket; more makes connections for the parts of a
    // large object, up to partsAtOnce at once.
    S3Client(std::unique_ptr<S3Connection> connection, S3ConnectionMaker more, int partsAtOnce,
             S3ClientLimits limits = {});

    Result SetCurrentDirectory(const std::string& folder) override;
    Result CreateDirectory(const std::string& folder) override;
    Result GetCurrentDirectory(std::string& folder) override;
    Result FindFile(const std::string& name, RemoteFileStatus& status, bool& found) override;
    Result OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) override;
    Result HashOf(const std::string& name, std::string& algorithm, std::string& hex) override;
    Result ListFolder(std::vector<RemoteEntry>& entries) override;
    Result ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) override;
    Result DeleteFile(const std::string& name) override;
    Result DeleteFiles(const std::string& folder, const std::vector<std::string>& names,
                       std::string& failed) override;
    Result RemoveDirectory(const std::string& name) override;
    void Close() override;
    void SetStopFlag(const StopFlag* flag) override;

  private:
    // The key of path (a name in the current folder, or a full path); false when it lies
    // outside the bucket.
    bool KeyOf(const std::string& path, std::string& key) const;
    // The request's answer, or the failure when none came or it is an error.
    Result Ask(const S3Request& request, S3Response& response, bool notFoundIsAnswer = false);
    // The key of an object named so, or the failure when name is none.
    Result ObjectKey(const std::string& name, std::string& key) const;
    // HEAD of key: found clear, and ok, when it is not there.
    Result Head(const std::string& key, S3Response& response, bool& found);

    std::unique_ptr<S3Connection> connection;
    S3ConnectionMaker more;
    int partsAtOnce;
    const StopFlag* stop = nullptr;  // the upload's, handed on to each object's parts
    S3ClientLimits limits;
    std::string current = "/";
};

// What an S3 answer that is an error says, for a failure's text: "NoSuchKey: The
// specified key does not exist." or the HTTP status where the answer names no error.
std::string S3ErrorText(const S3Response& response);
