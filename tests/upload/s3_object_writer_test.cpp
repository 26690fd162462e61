#include "upload/s3_object_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/s3_test_gateway.h"
#include "upload/internet_session.h"
#include "upload/s3_multipart.h"

namespace {

// The smallest parts S3 (and Ceph) take, but for the last: tests stay quick and still
// go in three parts.
constexpr std::int64_t kPart = 5 * 1024 * 1024;
constexpr std::size_t kBlock = 256 * 1024;

std::string Bytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

class S3ObjectWriterTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!gateway.Skipped().empty()) {
            GTEST_SKIP() << gateway.Skipped();
        }
        ASSERT_TRUE(gateway.IsRunning()) << gateway.Failure();
        session = InternetSession::Create();
        ASSERT_TRUE(session);
    }

    // A bucket of its own for each test, and a connection to it.
    void UseBucket(const std::string& bucket) {
        ASSERT_TRUE(gateway.MakeBucket(bucket));
        endpoint = {gateway.Host(),   false, "us-east-1", gateway.AccessKey(),
                    gateway.Secret(), bucket};
        connection = Connect();
    }

    std::unique_ptr<S3Connection> Connect() const {
        return std::make_unique<S3Connection>(session, endpoint);
    }

    std::unique_ptr<S3ObjectFile> Open(const std::string& key, int partsAtOnce) {
        S3ObjectOptions options;
        options.partsAtOnce = partsAtOnce;
        options.multipartThreshold = kPart;
        options.partSize = kPart;
        return OpenS3Object(
            *connection, [this] { return Connect(); }, key, options);
    }

    // Writes bytes in blocks as the upload worker does, up to end.
    static void WriteBlocks(FtpRemoteFile& file, const std::string& bytes, std::size_t from,
                            std::size_t end) {
        for (std::size_t at = from; at < end; at += kBlock) {
            const Result written = file.Write(bytes.data() + at, std::min(kBlock, end - at));
            ASSERT_TRUE(written.ok()) << written.text();
        }
    }

    S3Response Get(const std::string& key) {
        S3Request request;
        request.key = key;
        S3Response response;
        EXPECT_TRUE(connection->Send(request, response).ok());
        return response;
    }

    std::size_t Unfinished(const std::string& key) {
        std::vector<S3UnfinishedUpload> uploads;
        const Result listed = S3ListUnfinishedUploads(*connection, key, uploads);
        EXPECT_TRUE(listed.ok()) << listed.text();
        return uploads.size();
    }

    const S3TestGateway& gateway = S3TestGateway::Shared();
    std::shared_ptr<InternetSession> session;
    S3Endpoint endpoint;
    std::unique_ptr<S3Connection> connection;
};

TEST_F(S3ObjectWriterTest, ObjectsArriveWholeWithTheirTypeAndCaching) {
    UseBucket("writer-whole");
    struct Case {
        std::string key;
        std::string bytes;
        int partsAtOnce;
        std::string type;
        std::string cache;
    };
    const std::string large = Bytes(2 * kPart + 1024 * 1024 + 3, 1);
    const Case cases[] = {
        {"site/index.html", "<html><head><meta charset=\"utf-8\"><title>A</title>", 1,
         "text/html; charset=utf-8", "public, max-age=300"},
        {"site/Theme/theme.3f9a1c2b.css", "body{}", 1, "text/css",
         "public, max-age=31536000, immutable"},
        {"site/empty.txt", "", 1, "text/plain", "public, max-age=3600"},
        // Exactly at the threshold: still one PUT.
        {"site/at.jpg", Bytes(kPart, 2), 1, "image/jpeg", "public, max-age=3600"},
        {"site/clip one.mp4", large, 3, "video/mp4", "public, max-age=3600"},
        {"site/clip two.mov", large, 1, "video/quicktime", "public, max-age=3600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const auto file = Open(c.key, c.partsAtOnce);
        WriteBlocks(*file, c.bytes, 0, c.bytes.size());
        const Result closed = file->Close();
        ASSERT_TRUE(closed.ok()) << closed.text();
        EXPECT_EQ(file->BytesSent(), static_cast<std::int64_t>(c.bytes.size()));
        EXPECT_EQ(file->BytesTransferred(), static_cast<std::int64_t>(c.bytes.size()));
        const S3Response got = Get(c.key);
        EXPECT_EQ(got.status, 200);
        EXPECT_TRUE(got.body == c.bytes) << got.body.size() << " bytes of " << c.bytes.size();
        EXPECT_EQ(got.Header("content-type"), c.type);
        EXPECT_EQ(got.Header("cache-control"), c.cache);
        EXPECT_EQ(Unfinished(c.key), 0U);
    }
}

// An upload cut after two parts is taken up by the next attempt, which sends only what
// the server does not hold: the third part, and the second, whose bytes changed in
// between. Of two unfinished uploads of the key the older is abandoned; the upload of
// another key that begins with it is left alone.
TEST_F(S3ObjectWriterTest, ACutUploadIsTakenUpSendingOnlyWhatTheServerLacks) {
    UseBucket("writer-resume");
    const std::string key = "site/clip.mp4";
    std::string uploadId;
    for (const std::string& other : {key, key, key + ".old"}) {
        const Result created = S3CreateMultipartUpload(*connection, other, {}, uploadId);
        ASSERT_TRUE(created.ok()) << created.text();
    }

    const std::string first = Bytes(2 * kPart + 1024 * 1024 + 3, 3);
    {
        const auto file = Open(key, 1);
        WriteBlocks(*file, first, 0, 2 * kPart);
        file->Abort();
        EXPECT_EQ(file->BytesTransferred(), 2 * kPart);
        EXPECT_FALSE(file->Close().ok());
    }
    EXPECT_EQ(Get(key).status, 404);
    EXPECT_EQ(Unfinished(key), 1U);

    std::string second = first;
    second[kPart + 17] = static_cast<char>(second[kPart + 17] ^ 1);
    const auto file = Open(key, 2);
    WriteBlocks(*file, second, 0, second.size());
    const Result closed = file->Close();
    ASSERT_TRUE(closed.ok()) << closed.text();
    EXPECT_EQ(file->BytesSent(), static_cast<std::int64_t>(second.size()));
    EXPECT_EQ(file->BytesTransferred(), static_cast<std::int64_t>(second.size()) - kPart);
    const S3Response got = Get(key);
    EXPECT_TRUE(got.body == second) << got.body.size() << " bytes of " << second.size();
    EXPECT_EQ(Unfinished(key), 0U);
    EXPECT_EQ(Unfinished(key + ".old"), 1U);
}

// The Content-MD5 a PUT carries is checked: bytes changed on their way are refused, and
// nothing is kept of them.
TEST_F(S3ObjectWriterTest, APutWhoseBytesDoNotMatchItsContentMd5IsRefused) {
    UseBucket("writer-digest");
    const std::string bytes = "<html><body>A page</body></html>";
    S3Request request = S3PutObjectRequest("page.html", bytes, {});
    std::string changed = bytes;
    changed[7] = 'B';
    request.body = changed.data();
    S3Response response;
    ASSERT_TRUE(connection->Send(request, response).ok());
    EXPECT_EQ(response.status, 400);
    EXPECT_EQ(response.errorCode, "BadDigest");
    EXPECT_FALSE(S3Answer(response, "Sending").ok());
    EXPECT_EQ(Get("page.html").status, 404);
}

}  // namespace
