#include "upload/s3_profile_fields.h"

#include <algorithm>

#include "platform/format.h"
#include "upload/ftp_address.h"

namespace {

bool IsLowerLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Four groups of one to three digits between dots, as S3 sees an IP address.
bool LooksLikeIpAddress(const std::string& name) {
    int groups = 0;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('.', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        const std::size_t length = end - start;
        if (length < 1 || length > 3 ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(start),
                         name.begin() + static_cast<std::ptrdiff_t>(end), IsDigit)) {
            return false;
        }
        ++groups;
        start = end + 1;
    }
    return groups == 4;
}

std::string EndpointProblem(const FtpProfile& profile) {
    const std::string& host = profile.host;
    const char* const example = "like s3.eu-west-1.amazonaws.com or 127.0.0.1:7480";
    if (host.find("://") != std::string::npos) {
        return StringPrintf(
            "Give the endpoint \"%s\" without \"https://\" or \"http://\" (%s): the protocol "
            "chooses between HTTPS and HTTP.",
            host.c_str(), example);
    }
    const std::size_t end = host.find_last_not_of("/ \t");
    if (end != std::string::npos && host.find('/') < end) {
        return StringPrintf(
            "The endpoint \"%s\" names more than a server. Give the server alone (%s) and "
            "the bucket as the bucket/prefix.",
            host.c_str(), example);
    }
    if (const Expected<FtpAddress> address = ParseFtpHost(host, DefaultPort(profile.protocol));
        !address.ok()) {
        // The parser speaks of FTP servers; a port out of range it names well enough.
        const std::string& problem = address.failure().text();
        return problem.rfind("The port", 0) == 0
                   ? problem
                   : StringPrintf("\"%s\" is not an S3 endpoint (%s).", host.c_str(), example);
    }
    return {};
}

}  // namespace

std::string S3BucketNameProblem(const std::string& bucket) {
    const auto invalid = [&bucket](const char* rule) {
        return StringPrintf("The bucket name '%s' is not valid: bucket names %s.", bucket.c_str(),
                            rule);
    };
    if (bucket.size() < 3 || bucket.size() > 63) {
        return invalid("are 3 to 63 characters long");
    }
    if (!std::all_of(bucket.begin(), bucket.end(),
                     [](char c) { return IsLowerLetterOrDigit(c) || c == '.' || c == '-'; })) {
        return invalid("contain only lower-case letters, digits, dots and hyphens");
    }
    if (!IsLowerLetterOrDigit(bucket.front()) || !IsLowerLetterOrDigit(bucket.back())) {
        return invalid("start and end with a letter or digit");
    }
    if (bucket.find("..") != std::string::npos) {
        return invalid("have no two dots in a row");
    }
    if (LooksLikeIpAddress(bucket)) {
        return invalid("are not IP addresses");
    }
    return {};
}

std::string S3RegionProblem(const std::string& region) {
    // It goes into libcurl's "aws:amz:REGION:s3", where a colon would end it early.
    const bool valid = region.size() <= 63 && std::all_of(region.begin(), region.end(), [](char c) {
                           return IsLowerLetterOrDigit(c) || (c >= 'A' && c <= 'Z') || c == '-' ||
                                  c == '_' || c == '.';
                       });
    if (valid) {
        return {};
    }
    return StringPrintf(
        "The region '%s' is not valid: a region is one word of letters, digits and hyphens, like "
        "'eu-west-1', as your storage service names it.",
        region.c_str());
}

std::string S3ProfileProblem(const FtpProfile& profile, FtpProfileField& field) {
    field = FtpProfileField::None;
    if (!IsObjectStorage(profile.protocol)) {
        return {};
    }
    if (std::string problem = EndpointProblem(profile); !problem.empty()) {
        field = FtpProfileField::Host;
        return problem;
    }
    const std::string bucket = profile.directory.substr(0, profile.directory.find('/'));
    std::string problem = bucket.empty()
                              ? std::string(
                                    "The bucket/prefix starts with the bucket's name, without a "
                                    "slash before it: BUCKET or BUCKET/PREFIX, like "
                                    "'my-site' or 'my-site/photos'.")
                              : S3BucketNameProblem(bucket);
    if (!problem.empty()) {
        field = FtpProfileField::Directory;
        return problem;
    }
    if (problem = S3RegionProblem(profile.region); !problem.empty()) {
        field = FtpProfileField::Region;
        return problem;
    }
    return {};
}
