#pragma once

// What the tests of the upload worker against real servers share: a site in a temporary
// folder, a receiver that lets a test act on a status line as it arrives, scripted boxes,
// and the upload of the site to an FTP server or sshd.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "support/ftp_test_server.h"
#include "support/recording_receiver.h"
#include "support/sftp_test_server.h"
#include "support/test_support.h"
#include "upload/internet_session.h"
#include "upload/upload_in_time.h"
#include "upload/upload_worker.h"

// Records every message and lets a test act on a status line as it arrives.
class HookedReceiver : public RecordingReceiver {
  public:
    void Post(WorkerMessage message) override {
        if (hook && message.message == WM_APP_STATUS_TEXT) {
            hook(message.text);
        }
        RecordingReceiver::Post(std::move(message));
    }
    std::function<void(const std::string&)> hook;

    bool Saw(const std::string& status) const {
        const std::vector<std::string> texts = StatusTexts();
        return std::find(texts.begin(), texts.end(), status) != texts.end();
    }
    bool SawTiming(const std::string& timing) const {
        const std::vector<std::string> texts = TimingTexts();
        return std::find(texts.begin(), texts.end(), timing) != texts.end();
    }
    bool WorkDone() const {
        const std::vector<WorkerMessage> messages = Messages();
        return std::any_of(messages.begin(), messages.end(), [](const WorkerMessage& message) {
            return message.message == WM_APP_WORK_DONE;
        });
    }
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> texts;
        for (const WorkerMessage& message : Messages()) {
            if (message.message == WM_APP_ERROR_TEXT) {
                texts.push_back(message.text);
            }
        }
        return texts;
    }
};

inline std::time_t ModificationTime(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mtime;
}

class UploadWorkerTest : public ::testing::Test {
  protected:
    UploadWorkerTest() { CreateSession(); }
    ~UploadWorkerTest() override { DeleteSession(); }

    // Uploads site to server's folder remote, with a fresh receiver; fails the test
    // rather than hang.
    UploadOutcome Upload(const FtpTestServer& server, const std::string& remote,
                         const std::string& password = FtpTestServer::kPassword,
                         FtpProtocol protocol = FtpProtocol::Ftp) {
        UploadJob job{server.Host(), FtpTestServer::kUser, password, site.path(), remote, receiver};
        job.protocol = protocol;
        job.profileName = "test";
        job.connections = connections;
        job.fullCheck = fullCheck;
        job.rateLimit = rateLimit;
        return Run(job);
    }
    UploadOutcome Run(UploadJob& job) {
        job.window = receiver;
        job.stop = stop;
        return RunUploadInTime(job);
    }

    void MakeSite() {
        WriteFileBytes(site / "a.htm", "<p>a</p>");
        WriteFileBytes(site / "images/a.jpg", std::string(5000, 'j'));
        WriteFileBytes(site / "index.htm", "<p>index</p>");  // sorts after images/
    }

    TempDir site;
    std::shared_ptr<HookedReceiver> receiver = std::make_shared<HookedReceiver>();
    std::shared_ptr<StopFlag> stop = std::make_shared<StopFlag>();
    ScopedScriptedBoxes boxes;
    int connections = 4;
    bool fullCheck = false;
    std::int64_t rateLimit = 0;
};

// Bytes no two blocks of which are alike, so a piece sent twice or left out shows.
inline std::string Varied(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

inline int CountStarting(const std::vector<std::string>& texts, const std::string& start) {
    return static_cast<int>(std::count_if(
        texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(start, 0) == 0; }));
}

class SftpUploadTest : public UploadWorkerTest {
  protected:
    UploadJob SftpJob(const std::string& password = "") {
        UploadJob job{sshd.Host(), SftpTestServer::User(), password,
                      site.path(), sshd.Root() + "/www",   receiver};
        job.protocol = FtpProtocol::Sftp;
        job.profileName = "test";
        return job;
    }
    SftpTestServer sshd;
};
