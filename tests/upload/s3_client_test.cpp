// The S3 client against a real Ceph gateway: requests signed as S3 checks them (each fault
// of libcurl's own signing has a row), an upload read back, rerun and changed, the mirror
// within the profile's prefix and its limit, names S3 and URLs treat specially, and the
// failures a first listing turns into advice.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/recording_receiver.h"
#include "support/s3_test_gateway.h"
#include "support/test_support.h"
#include "upload/content_hash.h"
#include "upload/internet_session.h"
#include "upload/s3_connect.h"
#include "upload/s3_xml.h"
#include "upload/upload_in_time.h"
#include "upload/upload_worker.h"

namespace {

using Query = std::vector<std::pair<std::string, std::string>>;

// A request with body (which must outlive it) when not empty.
S3Request Request(const std::string& method, const std::string& key, Query query = {},
                  const std::string& body = {}) {
    S3Request request;
    request.method = method;
    request.key = key;
    request.query = std::move(query);
    request.body = body.empty() ? nullptr : body.data();
    request.bodySize = body.size();
    return request;
}

class S3ClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!gateway.Skipped().empty()) {
            GTEST_SKIP() << gateway.Skipped();
        }
        ASSERT_TRUE(gateway.IsRunning()) << gateway.Failure();
        CreateSession();
        // A bucket of each test's own, named after it, new in each run.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        bucket = "t" + std::to_string(::getpid()) + "-" + name.substr(0, 40);
        ASSERT_TRUE(gateway.MakeBucket(bucket));
    }
    void TearDown() override { DeleteSession(); }

    S3Connection Connection(const std::string& secret = {}) const {
        return S3Connection(SharedSession(),
                            S3Endpoint{gateway.Host(), false, kDefaultS3Region, gateway.AccessKey(),
                                       secret.empty() ? gateway.Secret() : secret, bucket});
    }

    S3Response Send(const S3Request& request) const {
        S3Connection connection = Connection();
        S3Response response;
        EXPECT_TRUE(connection.Send(request, response).ok());
        return response;
    }

    void Put(const std::string& key, const std::string& body) const {
        ASSERT_EQ(Send(Request("PUT", key, {}, body)).status, 200) << key;
    }

    // The object's bytes, or "(missing)".
    std::string Get(const std::string& key) const {
        const S3Response response = Send(Request("GET", key));
        return response.status == 200 ? response.body : "(missing)";
    }

    // Every key of the bucket, from a listing without a delimiter.
    std::vector<std::string> Keys() const {
        XmlElement page;
        EXPECT_TRUE(ParseXml(Send(Request("GET", "", {{"list-type", "2"}})).body, page));
        std::vector<std::string> keys;
        for (const XmlElement& item : page.children) {
            if (item.name == "Contents") {
                keys.push_back(item.ChildText("Key"));
            }
        }
        return keys;
    }

    UploadJob Job(const std::string& folder) {
        UploadJob job{gateway.Host(), gateway.AccessKey(),   gateway.Secret(),
                      site.path(),    bucket + "/" + folder, receiver};
        job.protocol = FtpProtocol::S3Http;
        job.report = [this](UploadAction action, const std::string& path, std::int64_t) {
            if (action == UploadAction::Send) {
                sent.push_back(path);
            }
        };
        return job;
    }

    // Runs the job with listing pages and deletion batches of two keys, so that a few
    // objects take several of each.
    UploadOutcome Run(UploadJob job) {
        sent.clear();
        receiver = std::make_shared<RecordingReceiver>();
        job.window = receiver;
        return RunUpload(job, [](const UploadJob& each) {
            return ConnectS3(each, S3ConnectOptions{S3ClientLimits{2, 2}});
        });
    }

    const S3TestGateway& gateway = S3TestGateway::Shared();
    std::string bucket;
    TempDir site;
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
    std::vector<std::string> sent;
    ScopedScriptedBoxes boxes;
};

// Each row fails when S3Connection leaves libcurl's signing as it is.
TEST_F(S3ClientTest, RequestsAreSignedAsS3ChecksThem) {
    const std::string large(2 * 1024 * 1024 + 1, 'x');  // libcurl asks "Expect: 100-continue"
    const struct {
        const char* fault;
        std::string key;
    } puts[] = {
        {"no x-amz-content-sha256 of the body", "plain.txt"},
        {"a key not encoded as S3 canonicalizes it", "a+b c%d(e)#f~g=h&i.txt"},
        {"non-ASCII bytes in a key", "größe/ñ.txt"},
        {"\"/./\" folded by libcurl", "x/./y/../z.txt"},
        {"a body over libcurl's Expect threshold", "large.bin"},
    };
    for (const auto& row : puts) {
        const std::string body = row.key == "large.bin" ? large : "body of " + row.key;
        Put(row.key, body);
        EXPECT_EQ(Get(row.key), body) << row.fault;
    }
    std::vector<std::string> expected;
    for (const auto& row : puts) {
        expected.push_back(row.key);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Keys(), expected);

    // The query: several parameters out of order, a value that needs encoding, and one
    // without a value.
    const S3Response listed = Send(
        Request("GET", "",
                {{"prefix", "a+b c"}, {"max-keys", "5"}, {"list-type", "2"}, {"delimiter", "/"}}));
    EXPECT_EQ(listed.status, 200) << listed.errorCode;
    EXPECT_NE(listed.body.find("<Key>a+b c%d(e)#f~g=h&amp;i.txt</Key>"), std::string::npos);
    const S3Response started = Send(Request("POST", "multi.bin", {{"uploads", ""}}));
    ASSERT_EQ(started.status, 200) << started.errorCode;
    XmlElement upload;
    ASSERT_TRUE(ParseXml(started.body, upload));
    EXPECT_EQ(
        Send(Request("DELETE", "multi.bin", {{"uploadId", upload.ChildText("UploadId")}})).status,
        204);
}

TEST_F(S3ClientTest, UploadSendsWhatChangedAndReadsBack) {
    const std::map<std::string, std::string> files = {
        {"index.htm", "<html>home</html>"},
        {"a b/c+d#e%f(g).htm", "odd names"},
        {"größe/naïve.jpg", "non-ASCII"},
        {".htaccess", "dot file"},
        {"p/q/r.css", "deep"},
    };
    for (const auto& [path, bytes] : files) {
        WriteFileBytes(site / path, bytes);
    }
    UploadJob first = Job("site");
    first.host = "http://" + gateway.Host() + "/";  // as a provider's page gives it
    ASSERT_EQ(Run(first), UploadOutcome::Finished) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(sent.size(), files.size());
    for (const auto& [path, bytes] : files) {
        EXPECT_EQ(Get("site/" + path), bytes) << path;
    }

    ASSERT_EQ(Run(Job("site")), UploadOutcome::Finished);
    EXPECT_TRUE(sent.empty()) << testing::PrintToString(sent);

    WriteFileBytes(site / "a b/c+d#e%f(g).htm", "changed");
    UploadJob full = Job("site");
    full.fullCheck = true;  // what the bucket says, not the record
    ASSERT_EQ(Run(full), UploadOutcome::Finished);
    EXPECT_EQ(sent, std::vector<std::string>{"a b/c+d#e%f(g).htm"});
    EXPECT_EQ(Get("site/a b/c+d#e%f(g).htm"), "changed");

    // The hash stored with each object is the hash of its content.
    Expected<std::unique_ptr<FtpClient>> client = ConnectS3(Job("site"));
    ASSERT_TRUE(client.ok()) << client.failure().text();
    ASSERT_TRUE((*client)->SetCurrentDirectory("/" + bucket + "/site/größe").ok());
    std::string algorithm;
    std::string hex;
    ASSERT_TRUE((*client)->HashOf("naïve.jpg", algorithm, hex).ok());
    ContentHash hash("SHA256");
    hash.Add("non-ASCII");
    EXPECT_EQ(algorithm + " " + hex, "SHA256 " + hash.Finish());
}

TEST_F(S3ClientTest, MirrorDeletesWithinThePrefixOnlyAndWithinTheLimit) {
    WriteFileBytes(site / "keep.htm", "keep");
    for (const char* key :
         {"site/old 1.htm", "site/a&b<c>.htm", "site/gone/x.jpg", "site/gone/deep/y.jpg",
          "site/gone/deep/z.jpg", "site-old/index.htm", "siteindex.htm", "site/.well-known/kept"}) {
        Put(key, key);
    }
    UploadJob job = Job("site");
    job.deleteExtra = true;
    job.deleteLimit = {DeleteLimit::Kind::AtMost, 4};
    ASSERT_EQ(Run(job), UploadOutcome::Failed);
    EXPECT_EQ(Get("site/old 1.htm"), "site/old 1.htm") << "five files are more than four";
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_NE(boxes->Texts()[0].find("more than the 4 allowed"), std::string::npos)
        << boxes->Texts()[0];

    job.deleteLimit = {DeleteLimit::Kind::AtMost, 5};
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(job), UploadOutcome::Finished) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(Keys(), (std::vector<std::string>{"site-old/index.htm", "site/.well-known/kept",
                                                "site/keep.htm", "siteindex.htm"}));

    // A profile that names the bucket alone mirrors its top.
    job = Job("");
    job.deleteExtra = true;
    job.deleteLimit = {DeleteLimit::Kind::AtMost, 3};
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(job), UploadOutcome::Finished) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(Keys(), (std::vector<std::string>{"keep.htm", "site/.well-known/kept"}));
}

TEST_F(S3ClientTest, AFirstListingTellsWhatIsWrong) {
    // A web server that is not S3; it names its port once it listens.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t server = ::fork();
    if (server == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::execlp("python3", "python3", "-c",
                 "import http.server\n"
                 "s = http.server.HTTPServer(('127.0.0.1', 0), "
                 "http.server.SimpleHTTPRequestHandler)\n"
                 "print(s.server_port, flush=True)\n"
                 "s.serve_forever()",
                 nullptr);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    struct Stop {
        pid_t pid;
        int fd;
        ~Stop() {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
            ::close(fd);
        }
    } stop{server, pipeEnds[0]};
    char digits[16] = {};
    ASSERT_GT(::read(pipeEnds[0], digits, sizeof digits - 1), 0);
    const std::string web = "127.0.0.1:" + std::to_string(std::atoi(digits));
    // Refusing a policy is a bucket owner's right: the owner may not list now.
    const std::string policy =
        R"({"Version":"2012-10-17","Statement":[{"Effect":"Deny","Principal":"*",)"
        R"("Action":"s3:ListBucket","Resource":"arn:aws:s3:::)" +
        bucket + R"("}]})";
    ASSERT_EQ(Send(Request("PUT", "", {{"policy", ""}}, policy)).status / 100, 2);
    ASSERT_TRUE(gateway.MakeBucket(bucket + "-open"));

    const struct {
        const char* what;
        std::string host, user, secret, folder;
        long clockShift;
        std::string said;
        bool loginRefused = false;  // which a further connection would not ask again
    } rows[] = {
        {"a wrong secret", gateway.Host(), gateway.AccessKey(), "wrong", bucket + "-open/site", 0,
         "The storage refused the secret of the access key \"" + gateway.AccessKey() +
             "\": check the password (the secret access key) in the profile.",
         true},
        {"an unknown key", gateway.Host(), "NOSUCHKEY", gateway.Secret(), bucket + "-open", 0,
         "The storage does not know the access key \"NOSUCHKEY\": check the user name (the "
         "access key ID) in the profile.",
         true},
        {"a missing bucket", gateway.Host(), gateway.AccessKey(), gateway.Secret(),
         "no-such-bucket/x", 0,
         "There is no bucket \"no-such-bucket\" at " + gateway.Host() +
             ": make it at your storage provider, or correct the bucket in the profile's "
             "directory."},
        {"a bucket the key may not list", gateway.Host(), gateway.AccessKey(), gateway.Secret(),
         bucket + "/site", 0,
         "The access key may not list the bucket \"" + bucket +
             "\", which Mavren needs to tell what is there already: allow it to list the bucket "
             "(s3:ListBucket) at your storage provider."},
        {"a clock an hour late", gateway.Host(), gateway.AccessKey(), gateway.Secret(),
         bucket + "-open", 3600,
         "This computer's clock is off by 60 minutes, more than the storage accepts: set it "
         "right and upload again."},
        {"a server that is not S3", web, gateway.AccessKey(), gateway.Secret(), bucket + "-open", 0,
         web + " does not answer as S3-compatible storage does: check the host, its port and the "
               "protocol in the profile."},
        // Port 9 (discard) answers nothing: a request would fail otherwise.
        {"a malformed bucket name, before any request", "127.0.0.1:9", "", "", "My_Bucket/site", 0,
         "The bucket name 'My_Bucket' is not valid: bucket names contain only lower-case "
         "letters, digits, dots and hyphens."},
    };
    for (const auto& row : rows) {
        UploadJob job = Job("");
        job.host = row.host;
        job.username = row.user;
        job.password = row.secret;
        job.remoteFolder = row.folder;
        const Expected<std::unique_ptr<FtpClient>> client =
            ConnectS3(job, S3ConnectOptions{{}, row.clockShift});
        ASSERT_FALSE(client.ok()) << row.what;
        EXPECT_EQ(client.failure().text(), row.said) << row.what;
        EXPECT_EQ(client.failure().kind() == Result::Kind::Refused, row.loginRefused) << row.what;
    }
}

TEST_F(S3ClientTest, AStopEndsARequest) {
    StopFlag stop;
    stop.Request();
    S3Connection connection = Connection();
    connection.SetStopFlag(&stop);
    const std::string body = "never sent";
    S3Response response;
    const Result sent = connection.Send(Request("PUT", "stopped.txt", {}, body), response);
    EXPECT_EQ(sent.kind(), Result::Kind::Stopped);
    EXPECT_EQ(sent.text(), "The upload was stopped.");
    EXPECT_EQ(Get("stopped.txt"), "(missing)");
}

}  // namespace
