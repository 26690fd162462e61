#pragma once

// The S3 gateway of a test program: a one-machine Ceph cluster started by
// tests/support/s3_gateway.sh on first use, shared by every test of the program and
// stopped (and waited for) when the program ends, with all its state in a temporary
// folder. Where the Ceph packages are missing there is none, and Skipped() says why:
//
//   const S3TestGateway& gateway = S3TestGateway::Shared();
//   if (!gateway.Skipped().empty()) {
//       GTEST_SKIP() << gateway.Skipped();
//   }
//   ASSERT_TRUE(gateway.IsRunning()) << gateway.Failure();
//
// For the tests' thread only. Requests go through curl's own signing (--aws-sigv4), apart
// from the client under test.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/test_support.h"

// The gateway's answer to one request.
struct S3Reply {
    int status = 0;    // the HTTP status; 0 when no answer came
    std::string body;  // the answer's body, or curl's words when no answer came
};

class S3TestGateway {
  public:
    // The program's gateway, started by the first call; a start that failed is not tried
    // again.
    static const S3TestGateway& Shared() {
        static const S3TestGateway gateway;
        return gateway;
    }

    ~S3TestGateway() {
        if (started) {
            RunProgram("/bin/sh", {kScript, "stop", folder.path()});
        }
    }
    S3TestGateway(const S3TestGateway&) = delete;
    S3TestGateway& operator=(const S3TestGateway&) = delete;

    bool IsRunning() const { return port > 0; }
    // The script's line when the packages are missing, else "".
    const std::string& Skipped() const { return skipped; }
    // What the script said when the start failed, else "".
    const std::string& Failure() const { return failure; }
    // "127.0.0.1:PORT", the endpoint an S3 profile names.
    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
    const std::string& AccessKey() const { return accessKey; }
    const std::string& Secret() const { return secret; }

    // One request to path ("/BUCKET/KEY?QUERY", encoded as sent) signed with AccessKey()
    // and secretKey, with body as its content. The body of a HEAD's reply holds its
    // headers.
    S3Reply Request(const std::string& secretKey, const std::string& method,
                    const std::string& path, const std::string& body = "") const {
        std::vector<std::string> arguments = {"-s", "-S", "--path-as-is", "--aws-sigv4",
                                              "aws:amz:us-east-1:s3", "--user",
                                              accessKey + ":" + secretKey,
                                              // curl leaves out the content's hash, which S3 signs.
                                              "-H", "x-amz-content-sha256: UNSIGNED-PAYLOAD", "-w",
                                              "\n%{http_code}", "http://" + Host() + path};
        // A HEAD's reply has no body to wait for.
        if (method == "HEAD") {
            arguments.insert(arguments.begin(), "--head");
        } else {
            arguments.insert(arguments.begin(), {"-X", method});
        }
        if (!body.empty()) {
            arguments.insert(arguments.begin(), {"--data-binary", "@-"});
        }
        const ProgramRun run = RunProgram("/usr/bin/curl", arguments, body);
        S3Reply reply;
        const std::size_t end = run.out.rfind('\n');
        if (run.status != 0 || end == std::string::npos) {
            reply.body = run.err;
            return reply;
        }
        reply.status = std::stoi(run.out.substr(end + 1));
        reply.body = run.out.substr(0, end);
        return reply;
    }

    // Makes a bucket owned by AccessKey(); false, failing the test, when the gateway
    // refuses.
    bool MakeBucket(const std::string& name) const {
        const S3Reply reply = Request(secret, "PUT", "/" + name);
        EXPECT_EQ(reply.status, 200) << "cannot make the bucket " << name << ": " << reply.body;
        return reply.status == 200;
    }

  private:
    static constexpr const char* kScript = MAVREN_SOURCE_DIR "/tests/support/s3_gateway.sh";
    // The script's exit status when a package is missing.
    static constexpr int kSkipped = 77;

    S3TestGateway() {
        const ProgramRun run = RunProgram("/bin/sh", {kScript, "start", folder.path()});
        started = run.status != kSkipped;
        if (run.status == kSkipped) {
            skipped = run.out.substr(0, run.out.find('\n'));
            return;
        }
        std::istringstream line(run.out);
        if (run.status != 0 || !(line >> port >> accessKey >> secret)) {
            port = 0;
            failure = "the S3 gateway did not start (exit status " + std::to_string(run.status) +
                      "):\n" + run.out + run.err;
        }
    }

    TempDir folder;
    bool started = false;
    int port = 0;
    std::string accessKey;
    std::string secret;
    std::string skipped;
    std::string failure;
};
