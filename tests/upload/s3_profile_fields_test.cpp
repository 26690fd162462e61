#include "upload/s3_profile_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(S3ProfileFields, BucketNamesFollowS3sRules) {
    const struct {
        const char* bucket;
        const char* broken;  // the rule the message names; empty for a valid name
    } cases[] = {
        {"my-site", ""},
        {"abc", ""},
        {"photos.example.org", ""},
        {"1st-bucket-9", ""},
        {"192.168.1.300x", ""},
        {"1.2.3", ""},
        {"ab", "3 to 63"},
        {"", "3 to 63"},
        {"a123456789b123456789c123456789d123456789e123456789f123456789ghi", ""},  // 63
        {"a123456789b123456789c123456789d123456789e123456789f123456789ghij", "3 to 63"},
        {"My-Site", "lower-case"},
        {"my_site", "lower-case"},
        {"my site", "lower-case"},
        {"s\xC3\xA9jour", "lower-case"},
        {"-site", "start and end"},
        {"site.", "start and end"},
        {".site", "start and end"},
        {"my..site", "two dots"},
        {"192.168.1.30", "IP addresses"},
        {"10.0.0.1", "IP addresses"},
    };
    for (const auto& c : cases) {
        const std::string problem = S3BucketNameProblem(c.bucket);
        if (*c.broken == '\0') {
            EXPECT_EQ(problem, "") << c.bucket;
        } else {
            EXPECT_NE(problem.find(c.broken), std::string::npos) << c.bucket << ": " << problem;
            EXPECT_EQ(problem.rfind("The bucket name '" + std::string(c.bucket) + "'", 0), 0u)
                << problem;
        }
    }
}

TEST(S3ProfileFields, AProfileIsCheckedFieldByField) {
    const struct {
        FtpProtocol protocol;
        const char* host;
        const char* directory;
        const char* region;
        FtpProfileField field;
        const char* text;  // part of the message; empty for none
    } cases[] = {
        {FtpProtocol::S3, "s3.eu-west-1.amazonaws.com", "my-site/photos", "eu-west-1",
         FtpProfileField::None, ""},
        {FtpProtocol::S3Http, "127.0.0.1:7480", "my-site", "", FtpProfileField::None, ""},
        {FtpProtocol::S3, "[::1]:9000/", "my-site/", "auto", FtpProfileField::None, ""},
        // An FTP folder is not a bucket.
        {FtpProtocol::Ftp, "ftp.example.com", "/Public_HTML", "", FtpProfileField::None, ""},
        {FtpProtocol::S3, "https://s3.amazonaws.com", "my-site", "", FtpProfileField::Host,
         "without \"https://\""},
        {FtpProtocol::S3, "s3.amazonaws.com/my-site", "my-site", "", FtpProfileField::Host,
         "names more than a server"},
        {FtpProtocol::S3, "s3 amazonaws", "my-site", "", FtpProfileField::Host,
         "is not an S3 endpoint"},
        {FtpProtocol::S3, "s3.amazonaws.com:0", "my-site", "", FtpProfileField::Host,
         "The port in"},
        {FtpProtocol::S3, "s3.amazonaws.com", "/my-site/photos", "", FtpProfileField::Directory,
         "without a slash before it"},
        {FtpProtocol::S3Http, "h", "My_Site/photos", "", FtpProfileField::Directory,
         "The bucket name 'My_Site'"},
        {FtpProtocol::S3, "h", "my-site", "eu:west", FtpProfileField::Region,
         "The region 'eu:west'"},
        {FtpProtocol::S3, "h", "my-site", "eu west", FtpProfileField::Region, "The region"},
    };
    for (const auto& c : cases) {
        FtpProfile profile{"n", c.host, "key", "secret", c.directory, c.protocol, c.region};
        FtpProfileField field = FtpProfileField::Name;
        const std::string problem = S3ProfileProblem(profile, field);
        EXPECT_EQ(field, c.field) << c.host << " " << c.directory << ": " << problem;
        EXPECT_EQ(problem.empty(), *c.text == '\0') << problem;
        EXPECT_NE(problem.find(c.text), std::string::npos) << problem;
    }
}

}  // namespace
