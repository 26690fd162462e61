#include "upload/s3_connect.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/ascii.h"
#include "platform/format.h"
#include "upload/ftp_address.h"
#include "upload/internet_session.h"
#include "upload/s3_profile_fields.h"

namespace {

// The time of a request as S3 signs it.
std::string AmzDate(std::time_t time) {
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

std::string FailureOfFirstListing(const UploadJob& job, const S3Endpoint& endpoint,
                                  const S3Response& response, std::time_t sentAt) {
    const std::string& code = response.errorCode;
    const char* bucket = endpoint.bucket.c_str();
    if (code == "InvalidAccessKeyId") {
        return StringPrintf(
            "The storage does not know the access key \"%s\": check the user "
            "name (the access key ID) in the profile.",
            endpoint.accessKey.c_str());
    }
    if (code == "SignatureDoesNotMatch") {
        return StringPrintf(
            "The storage refused the secret of the access key \"%s\": check the "
            "password (the secret access key) in the profile.",
            endpoint.accessKey.c_str());
    }
    if (code == "NoSuchBucket") {
        return StringPrintf(
            "There is no bucket \"%s\" at %s: make it at your storage provider, "
            "or correct the bucket in the profile's directory.",
            bucket, job.host.c_str());
    }
    if (code == "RequestTimeTooSkewed") {
        const std::time_t serverTime = curl_getdate(response.Header("date").c_str(), nullptr);
        if (serverTime < 0) {
            return "This computer's clock is off by more than the storage accepts: set it right "
                   "and upload again.";
        }
        const long minutes = (std::labs(static_cast<long>(sentAt - serverTime)) + 30) / 60;
        return StringPrintf(
            "This computer's clock is off by %ld minutes, more than the storage "
            "accepts: set it right and upload again.",
            minutes);
    }
    if (code == "AccessDenied") {
        return StringPrintf(
            "The access key may not list the bucket \"%s\", which Mavren needs "
            "to tell what is there already: allow it to list the bucket "
            "(s3:ListBucket) at your storage provider.",
            bucket);
    }
    if (!code.empty()) {
        return StringPrintf("The storage refused to list the bucket \"%s\": %s", bucket,
                            S3ErrorText(response).c_str());
    }
    return StringPrintf(
        "%s does not answer as S3-compatible storage does: check the host, its "
        "port and the protocol in the profile.",
        job.host.c_str());
}

}  // namespace

Expected<S3Folder> SplitS3Folder(const std::string& folder) {
    const std::size_t first = folder.find_first_not_of('/');
    const std::string rest = first == std::string::npos ? std::string() : folder.substr(first);
    const std::size_t slash = rest.find('/');
    S3Folder split;
    split.bucket = rest.substr(0, slash);
    split.prefix = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    while (!split.prefix.empty() && split.prefix.back() == '/') {
        split.prefix.pop_back();
    }
    if (split.bucket.empty()) {
        return Result::Failure(
            "The profile names no bucket: set its directory to BUCKET or BUCKET/PREFIX.");
    }
    if (std::string problem = S3BucketNameProblem(split.bucket); !problem.empty()) {
        return Result::Failure(std::move(problem));
    }
    return split;
}

Expected<std::unique_ptr<FtpClient>> ConnectS3(const UploadJob& job,
                                               const S3ConnectOptions& options) {
    const std::shared_ptr<InternetSession> session = SharedSession();
    if (!session) {
        return Result::Failure("The Internet session could not be set up.");
    }
    const Expected<S3Folder> folder = SplitS3Folder(job.remoteFolder);
    if (!folder.ok()) {
        return folder.failure();
    }
    S3Endpoint endpoint;
    endpoint.bucket = folder->bucket;
    const std::string& prefix = folder->prefix;
    // An endpoint is often copied from a provider's page as a URL.
    std::string host = job.host;
    for (const char* scheme : {"https://", "http://"}) {
        if (AsciiLowerCase(host).rfind(scheme, 0) == 0) {
            host.erase(0, std::string_view(scheme).size());
        }
    }
    const Expected<FtpAddress> parsed = ParseFtpHost(host, DefaultPort(job.protocol));
    if (!parsed.ok()) {
        return parsed.failure();
    }
    const FtpAddress& address = *parsed;
    const bool ipv6 = address.host.find(':') != std::string::npos;
    endpoint.host = (ipv6 ? "[" + address.host + "]" : address.host) +
                    (address.port != DefaultPort(job.protocol) ? ":" + std::to_string(address.port)
                                                               : std::string());
    endpoint.https = job.protocol == FtpProtocol::S3;
    endpoint.region = job.region.empty() ? kDefaultS3Region : job.region;
    endpoint.accessKey = job.username;
    endpoint.secret = job.password;

    const std::shared_ptr<StopFlag> stop = job.stop;
    const auto open = [session, endpoint, stop] {
        auto connection = std::make_unique<S3Connection>(session, endpoint);
        connection->SetStopFlag(stop.get());
        return connection;
    };
    std::unique_ptr<S3Connection> connection = open();
    const std::time_t sentAt = std::time(nullptr) + options.clockShift;
    S3Request request;
    request.query = {
        {"list-type", "2"}, {"max-keys", "1"}, {"prefix", prefix.empty() ? "" : prefix + "/"}};
    request.headers = {{"X-Amz-Date", AmzDate(sentAt)}};
    S3Response response;
    if (Result sent = connection->Send(request, response); !sent.ok()) {
        return sent;
    }
    // A refusal of S3 is an error document; a web server that is not S3 sends none. Not
    // every service names its answers with x-amz-request-id, so that header decides nothing.
    if (response.status != 200 || response.body.find("<ListBucketResult") == std::string::npos) {
        // A key or a secret the storage does not take is refused again on every try.
        const bool loginRefused = response.errorCode == "InvalidAccessKeyId" ||
                                  response.errorCode == "SignatureDoesNotMatch";
        return Result::Failure(FailureOfFirstListing(job, endpoint, response, sentAt),
                               loginRefused ? Result::Kind::Refused : Result::Kind::Other);
    }
    return std::unique_ptr<FtpClient>(std::make_unique<S3Client>(
        std::move(connection), open, std::max(1, job.connections), options.limits));
}
