// The upload worker against a real FTP server on loopback.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "generate/recording_receiver.h"
#include "support/ftp_test_server.h"
#include "support/test_support.h"
#include "upload/internet_session.h"
#include "upload/upload_worker.h"

namespace {

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

std::time_t ModificationTime(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mtime;
}

class UploadWorkerTest : public ::testing::Test {
  protected:
    UploadWorkerTest() {
        CreateSession();
        UploadCancelRequested.store(0);
    }
    ~UploadWorkerTest() override {
        UploadCancelRequested.store(0);
        DeleteSession();
    }

    // Uploads site to server's folder remote, with a fresh receiver; fails the test
    // rather than hang.
    UploadOutcome Upload(const FtpTestServer& server, const std::string& remote,
                         const std::string& password = FtpTestServer::kPassword) {
        const UploadJob job{server.Host(), FtpTestServer::kUser, password, site.path(), remote,
                            receiver};
        auto running = std::async(std::launch::async, [&job] { return RunUpload(job); });
        if (running.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "the upload hangs";
            UploadCancelRequested.store(1);
        }
        return running.get();
    }

    void MakeSite() {
        WriteFileBytes(site / "a.htm", "<p>a</p>");
        WriteFileBytes(site / "images/a.jpg", std::string(5000, 'j'));
        WriteFileBytes(site / "index.htm", "<p>index</p>");  // sorts after images/
    }

    TempDir site;
    std::shared_ptr<HookedReceiver> receiver = std::make_shared<HookedReceiver>();
    ScopedScriptedBoxes boxes;
};

TEST_F(UploadWorkerTest, MirrorsTheTreeThenSendsOnlyWhatChanged) {
    FtpTestServer server;
    ::mkdir((server.Root() + "/www").c_str(), 0755);
    MakeSite();

    ASSERT_EQ(Upload(server, "www"), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    const std::string remote = server.Root() + "/www";
    EXPECT_EQ(ReadFileBytes(remote + "/a.htm"), "<p>a</p>");
    EXPECT_EQ(ReadFileBytes(remote + "/images/a.jpg"), std::string(5000, 'j'));
    EXPECT_EQ(ReadFileBytes(remote + "/index.htm"), "<p>index</p>");
    EXPECT_EQ(server.Count("STOR"), 3);
    EXPECT_EQ(server.Count("MKD"), 1);
    EXPECT_EQ(server.Count("USER"), 1) << "one connection for the whole upload";
    EXPECT_EQ(receiver->StatusTexts().back(), "Done.");
    EXPECT_EQ(receiver->Progress().back(), 100);
    EXPECT_TRUE(receiver->WorkDone());
    EXPECT_TRUE(boxes->Texts().empty());

    // Unchanged: nothing is sent.
    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Upload(server, "www"), UploadOutcome::Finished);
    EXPECT_EQ(server.Count("STOR"), 3);
    EXPECT_TRUE(receiver->Saw("Skipping \"index.htm\" (sizes and modification times match)"));
    EXPECT_EQ(receiver->StatusTexts().back(), "Done.");

    // A file touched after the upload goes again, and only that one.
    SetModificationTime(site / "a.htm", ModificationTime(remote + "/a.htm") + 5);
    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Upload(server, "www"), UploadOutcome::Finished);
    EXPECT_EQ(server.Count("STOR a.htm"), 2);
    EXPECT_EQ(server.Count("STOR"), 4);

    // A remote copy one second older than the local file goes again; one of the same
    // second stays.
    SetModificationTime(site / "a.htm", ModificationTime(remote + "/a.htm"));
    const std::time_t local = ModificationTime(site / "index.htm");
    SetModificationTime(remote + "/index.htm", local - 1);
    SetModificationTime(remote + "/images/a.jpg", ModificationTime(site / "images/a.jpg"));
    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Upload(server, "www"), UploadOutcome::Finished);
    EXPECT_EQ(server.Count("STOR index.htm"), 2);
    EXPECT_EQ(server.Count("STOR a.jpg"), 1);
    EXPECT_EQ(server.Count("STOR"), 5);
}

TEST_F(UploadWorkerTest, AMissingRemoteFolderIsCreatedLevelByLevelOnYes) {
    FtpTestServer server;
    MakeSite();
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Upload(server, "a/b"), UploadOutcome::Finished);
    ASSERT_EQ(boxes->Boxes().size(), 1u);
    EXPECT_EQ(boxes->Boxes()[0].text,
              "Cannot change to FTP directory \"a/b\".\n\nWould you like to create it?");
    EXPECT_EQ(boxes->Boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a/b/images/a.jpg"), std::string(5000, 'j'));
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a/b/index.htm"), "<p>index</p>");
    std::vector<std::string> made;
    for (const std::string& command : server.Commands()) {
        if (command.rfind("MKD ", 0) == 0) {
            made.push_back(command);
        }
    }
    EXPECT_EQ(made, (std::vector<std::string>{"MKD a", "MKD b", "MKD images"}));
}

TEST_F(UploadWorkerTest, AMissingRemoteFolderEndsTheUploadOnNo) {
    FtpTestServer server;
    MakeSite();
    boxes->QueueAnswer(IDNO);
    ASSERT_EQ(Upload(server, "a/b"), UploadOutcome::Failed);
    ASSERT_EQ(boxes->Texts().size(), 2u);
    EXPECT_EQ(boxes->Texts()[1],
              "Failed to change directory on FTP server\n\nDirectory: a/b\n\nReason: 550 No such "
              "file or directory.");
    EXPECT_EQ(receiver->StatusTexts().back(), "FTP Error.");
    EXPECT_TRUE(receiver->WorkDone());
    EXPECT_EQ(server.Count("MKD"), 0);
    EXPECT_EQ(server.Count("STOR"), 0);
    EXPECT_EQ(server.Count("QUIT"), 1);
}

TEST_F(UploadWorkerTest, AWrongPasswordSaysWhyTheConnectionFailed) {
    FtpTestServer server;
    MakeSite();
    ASSERT_EQ(Upload(server, "", "wrong"), UploadOutcome::Failed);
    EXPECT_EQ(receiver->StatusTexts().back(), "FTP error");
    EXPECT_EQ(receiver->ErrorTexts(),
              std::vector<std::string>{"Failed to open FTP connection to \"" + server.Host() +
                                       "\"\n\nReason: 530 Authentication failed."});
    EXPECT_TRUE(receiver->WorkDone());
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(UploadWorkerTest, StoppingDuringALargeFileLeavesAPartialCopy) {
    // Slow enough that the file is far from whole after a second.
    FtpTestServer server({.throttle = 2 * 1024 * 1024});
    const std::size_t size = 32 * 1024 * 1024;
    WriteFileBytes(site / "big.bin", std::string(size, 'b'));
    WriteFileBytes(site / "z.htm", "after");
    receiver->hook = [](const std::string& status) {
        if (status.rfind("Uploading \"big.bin\" - ", 0) == 0) {
            UploadCancelRequested.store(1);
        }
    };
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Canceled);
    struct stat partial {};
    ASSERT_EQ(::stat((server.Root() + "/big.bin").c_str(), &partial), 0);
    EXPECT_GT(partial.st_size, 0);
    EXPECT_LT(partial.st_size, static_cast<off_t>(size));
    EXPECT_FALSE(receiver->Saw("Done."));
    EXPECT_FALSE(receiver->WorkDone());
    EXPECT_EQ(server.Count("STOR z.htm"), 0);
}

TEST_F(UploadWorkerTest, AServerThatStopsDuringAFileEndsTheUploadWithAMessage) {
    FtpTestServer server({.throttle = 1024 * 1024});
    WriteFileBytes(site / "big.bin", std::string(24 * 1024 * 1024, 'b'));
    receiver->hook = [&server](const std::string& status) {
        if (status.rfind("Uploading \"big.bin\" - ", 0) == 0) {
            server.Stop();
        }
    };
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Failed);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    const std::string box = boxes->Texts()[0];
    EXPECT_TRUE(box.rfind("Failed to write FTP file \"big.bin\":\n\n", 0) == 0 ||
                box.rfind("Failed to close FTP file \"big.bin\":\n\n", 0) == 0)
        << box;
    EXPECT_GT(box.size(), std::string("Failed to write FTP file \"big.bin\":\n\n").size()) << box;
    EXPECT_EQ(receiver->StatusTexts().back(), "FTP Error.");
    EXPECT_TRUE(receiver->WorkDone());
}

}  // namespace
