// The upload worker against an FTP server in memory: the order of its reports, its
// rules, and the failures a real server does not produce on demand.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/recording_receiver.h"
#include "support/test_support.h"
#include "upload/fake_ftp.h"
#include "upload/upload_worker.h"

namespace {

// Records every message and lets a test act on one as it arrives (on the worker's thread).
class HookedReceiver : public RecordingReceiver {
  public:
    void Post(WorkerMessage message) override {
        if (hook) {
            hook(message);
        }
        RecordingReceiver::Post(std::move(message));
    }
    std::function<void(const WorkerMessage&)> hook;
};

// Status lines with the timing lines among them as "@", for they hold elapsed seconds.
std::vector<std::string> Statuses(const RecordingReceiver& receiver) {
    std::vector<std::string> texts;
    for (const WorkerMessage& message : receiver.Messages()) {
        if (message.message == WM_APP_STATUS_TEXT) {
            texts.push_back(message.text);
        } else if (message.message == WM_APP_TIMING_TEXT) {
            texts.push_back("@");
        }
    }
    return texts;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

int WorkDoneCount(const RecordingReceiver& receiver) {
    int count = 0;
    for (const WorkerMessage& message : receiver.Messages()) {
        count += message.message == WM_APP_WORK_DONE ? 1 : 0;
    }
    return count;
}

class UploadWorkerFake : public ::testing::Test {
  protected:
    UploadWorkerFake() {
        server->folders.insert("/www");
        server->stop = stop;
    }

    // One connection: the fake server belongs to one thread.
    UploadJob Job(const std::string& remote = "/www") const {
        UploadJob job{"ftp.example.com", "ann", "pw", site.path(), remote, receiver};
        job.connections = 1;
        job.stop = stop;
        return job;
    }
    UploadOutcome Run(const std::string& remote = "/www") {
        return RunUpload(Job(remote), ConnectTo(server));
    }
    std::string Remote(const std::string& path) const {
        const auto it = server->files.find(path);
        return it == server->files.end() ? "<missing>" : it->second.bytes;
    }
    bool LastMessageIsWorkDone() const {
        const std::vector<WorkerMessage> messages = receiver->Messages();
        return !messages.empty() && messages.back().message == WM_APP_WORK_DONE;
    }

    TempDir site;
    std::shared_ptr<FakeFtpServer> server = std::make_shared<FakeFtpServer>();
    std::shared_ptr<HookedReceiver> receiver = std::make_shared<HookedReceiver>();
    std::shared_ptr<StopFlag> stop = std::make_shared<StopFlag>();
    ScopedScriptedBoxes boxes;
};

TEST_F(UploadWorkerFake, ReportsEachStepAndSendsTopLevelFilesToTheRemoteRoot) {
    WriteFileBytes(site / "a.htm", std::string(10, 'a'));
    WriteFileBytes(site / "images/a.jpg", std::string(30, 'j'));
    WriteFileBytes(site / "index.htm", std::string(60, 'i'));  // sorts after images/

    EXPECT_EQ(Run(), UploadOutcome::Finished);

    const std::vector<std::string> expected = {
        "Getting filelist ...",
        "Connecting to \"ftp.example.com\" ...",
        "Setting directory to \"/www\" ...",
        "Checking \"a.htm\" ...",
        "Setting directory to \"images\" ...",
        "Checking \"a.jpg\" ...",
        "Checking \"index.htm\" ...",
        "Opening \"a.htm\" ...",
        "Closing \"a.htm\" ...",
        "@",
        "Opening \"a.jpg\" ...",
        "Closing \"a.jpg\" ...",
        "@",
        "Opening \"index.htm\" ...",
        "Closing \"index.htm\" ...",
        "@",
        "Checking what the server kept ...",
        "@",
        "Done.",
    };
    EXPECT_EQ(Statuses(*receiver), expected);
    EXPECT_EQ(receiver->Progress(), (std::vector<int>{10, 40, 100}));
    const std::vector<std::string> timing = receiver->TimingTexts();
    ASSERT_EQ(timing.size(), 4u);
    EXPECT_EQ(timing[0].rfind("2 files (90 bytes) left - 10 bytes in ", 0), 0u) << timing[0];
    EXPECT_NE(timing[0].find(" second"), std::string::npos) << timing[0];
    EXPECT_EQ(timing[3].rfind("100 bytes in ", 0), 0u) << timing[3];
    EXPECT_EQ(timing[3].find(" - "), std::string::npos) << timing[3];
    EXPECT_TRUE(LastMessageIsWorkDone());
    EXPECT_EQ(WorkDoneCount(*receiver), 1);

    EXPECT_EQ(Remote("/www/a.htm"), std::string(10, 'a'));
    EXPECT_EQ(Remote("/www/images/a.jpg"), std::string(30, 'j'));
    EXPECT_EQ(Remote("/www/index.htm"), std::string(60, 'i'));
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_EQ(server->log.back(), "QUIT");
}

TEST_F(UploadWorkerFake, SkipsOnlyACopyOfTheSameSizeThatIsNotOlder) {
    const long long local = 1700000000;
    struct Case {
        std::int64_t remoteSize;  // the local file has 5 bytes
        std::time_t remoteTime;
        bool sent;
    };
    const Case cases[] = {
        {5, local, false},      // same second
        {5, local + 1, false},  // later
        {5, local - 1, true},   // a second older
        {4, local + 60, true},  // other size
        {5, -1, true},          // the server gave no time
    };
    for (const Case& c : cases) {
        server->files["/www/page.htm"] = {std::string(static_cast<std::size_t>(c.remoteSize), 'o'),
                                          c.remoteTime, true};
        WriteFileBytes(site / "page.htm", "fresh");
        SetModificationTime(site / "page.htm", local);
        receiver = std::make_shared<HookedReceiver>();
        UploadJob job = Job();
        job.fullCheck = true;  // by the listing alone, as without a record
        EXPECT_EQ(RunUpload(job, ConnectTo(server)), UploadOutcome::Finished);
        EXPECT_EQ(Remote("/www/page.htm") == "fresh", c.sent) << c.remoteTime;
        EXPECT_EQ(Contains(receiver->StatusTexts(),
                           "Skipping \"page.htm\" (sizes and modification times match)"),
                  !c.sent);
        EXPECT_EQ(receiver->Progress(), std::vector<int>{100});
    }
}

TEST_F(UploadWorkerFake, AWriteFailureNamesTheFileAndEndsTheUploadCleanly) {
    WriteFileBytes(site / "a.bin", std::string(200000, 'x'));
    WriteFileBytes(site / "b.htm", "later");
    server->failWriteAfter = 100000;

    EXPECT_EQ(Run(), UploadOutcome::Failed);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0],
              "Failed to write FTP file \"a.bin\":\n\n426 Connection closed; transfer aborted.");
    EXPECT_EQ(Statuses(*receiver).back(), "FTP Error.");
    EXPECT_TRUE(LastMessageIsWorkDone());
    EXPECT_EQ(server->log.back(), "QUIT");
    EXPECT_EQ(server->files.count("/www/b.htm"), 0u) << "the upload ended";
    EXPECT_FALSE(Contains(receiver->StatusTexts(), "Done."));
}

TEST_F(UploadWorkerFake, ACloseFailureNamesTheFileAndEndsTheUploadCleanly) {
    WriteFileBytes(site / "a.htm", "page");
    WriteFileBytes(site / "b.htm", "later");
    server->failClose = true;

    EXPECT_EQ(Run(), UploadOutcome::Failed);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0],
              "Failed to close FTP file \"a.htm\":\n\n451 Local error in processing.");
    EXPECT_EQ(Statuses(*receiver).back(), "FTP Error.");
    EXPECT_TRUE(LastMessageIsWorkDone());
    EXPECT_EQ(server->files.count("/www/b.htm"), 0u);
}

TEST_F(UploadWorkerFake, AFileTheServerWillNotTakeIsShownAndTheOthersStillGo) {
    WriteFileBytes(site / "a.htm", "page");
    WriteFileBytes(site / "b.htm", "later");
    server->unopenable.insert("a.htm");

    EXPECT_EQ(Run(), UploadOutcome::Failed) << "a script must see that a file is missing";
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0],
              "Failed to open FTP file \"a.htm\":\n\n553 Could not create file.");
    // The box, then on as a finished upload ends, saying what is missing.
    EXPECT_EQ(Remote("/www/b.htm"), "later");
    EXPECT_EQ(Statuses(*receiver).back(), "Done.");
    const std::vector<std::string> timing = receiver->TimingTexts();
    ASSERT_FALSE(timing.empty());
    EXPECT_NE(timing.back().find("; 1 file could not be sent"), std::string::npos) << timing.back();
    EXPECT_TRUE(LastMessageIsWorkDone());
}

TEST_F(UploadWorkerFake, StoppingDuringAFileAbortsItAndReportsNothingMore) {
    WriteFileBytes(site / "a.bin", std::string(4000000, 'x'));
    WriteFileBytes(site / "b.htm", "later");
    server->cancelAfterWrites = 3;

    EXPECT_EQ(Run(), UploadOutcome::Canceled);
    ASSERT_EQ(server->writes.size(), 3u) << "the stop is seen before the next block";
    std::size_t sent = 0;
    for (const std::size_t block : server->writes) {
        EXPECT_LE(block, 512u * 1024u);
        sent += block;
    }
    EXPECT_EQ(Remote("/www/a.bin").size(), sent) << "the partial copy stays";
    EXPECT_TRUE(Contains(server->log, "ABORT /www/a.bin")) << "not drained by a close";
    EXPECT_FALSE(Contains(server->log, "CLOSE /www/a.bin"));
    EXPECT_FALSE(Contains(receiver->StatusTexts(), "Done."));
    EXPECT_EQ(WorkDoneCount(*receiver), 1) << "only that the work ended";
    EXPECT_EQ(server->files.count("/www/b.htm"), 0u);
    EXPECT_EQ(server->log.back(), "QUIT");
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(UploadWorkerFake, StoppingWhileSizesAreSummedEndsBeforeConnecting) {
    WriteFileBytes(site / "a.htm", "page");
    receiver->hook = [this](const WorkerMessage& message) {
        if (message.text == "Getting filelist ...") {
            stop->Request();
        }
    };
    EXPECT_EQ(Run(), UploadOutcome::Canceled);
    EXPECT_EQ(Statuses(*receiver), (std::vector<std::string>{"Getting filelist ...", "Canceled."}));
    EXPECT_TRUE(LastMessageIsWorkDone());
    EXPECT_EQ(server->connections, 0);
}

TEST_F(UploadWorkerFake, StoppingWhileConnectingClosesTheConnection) {
    WriteFileBytes(site / "a.htm", "page");
    receiver->hook = [this](const WorkerMessage& message) {
        if (message.text.rfind("Connecting to ", 0) == 0) {
            stop->Request();
        }
    };
    EXPECT_EQ(Run(), UploadOutcome::Canceled);
    EXPECT_EQ(server->log, std::vector<std::string>{"QUIT"});
    EXPECT_TRUE(LastMessageIsWorkDone());
    EXPECT_FALSE(Contains(receiver->StatusTexts(), "Done."));
}

TEST_F(UploadWorkerFake, FilesThatCannotBeReadAreSkippedWithAStatusLine) {
    WriteFileBytes(site / "a.htm", "page");
    WriteFileBytes(site / "gone.htm", "removed after the list was made");
    ASSERT_EQ(::mkfifo((site / "pipe").c_str(), 0644), 0);
    const FtpConnector connect = [this](const UploadJob&) -> Expected<std::unique_ptr<FtpClient>> {
        std::remove((site / "gone.htm").c_str());
        return std::unique_ptr<FtpClient>(std::make_unique<FakeFtp>(server));
    };
    EXPECT_EQ(RunUpload(Job(), connect), UploadOutcome::Finished);
    const std::vector<std::string> statuses = receiver->StatusTexts();
    EXPECT_TRUE(Contains(statuses, "Skipping \"gone.htm\" (No such file or directory)"));
    EXPECT_TRUE(Contains(statuses, "Skipping \"pipe\" (not a regular file)"));
    EXPECT_EQ(statuses.back(), "Done.");
    EXPECT_EQ(Remote("/www/a.htm"), "page");
    EXPECT_EQ(server->files.size(), 1u);
    EXPECT_EQ(receiver->Progress().back(), 100);
}

TEST_F(UploadWorkerFake, TheWalkStaysInTheSiteAndTheMirrorKeepsWhatItLeftOut) {
    // The site and, beside it, what must never reach the server.
    TempDir world;
    const std::string root = world / "site";
    WriteFileBytes(world / "private/id_rsa", "key");
    WriteFileBytes(world / "site-private/notes.txt", "notes");  // its name starts as the site's
    WriteFileBytes(root + "/a.htm", "page");
    WriteFileBytes(root + "/sub/b.htm", "sub page");
    WriteFileBytes(root + "/bad\nname.htm", "x");
    WriteFileBytes(root +
                       "/ctl\x01"
                       "dir/c.htm",
                   "x");
    ASSERT_EQ(::mkfifo((root + "/pipe").c_str(), 0644), 0);
    WriteFileBytes(root + "/sub/" + LeftoverName(1), "half a page");  // a killed save's
    const struct {
        const char* link;
        std::string target;
        const char* reason;  // "" when it goes
    } links[] = {
        {"index.htm", "a.htm", ""},
        {"up", "..", "a link to a folder outside the site"},
        {"keys", world / "private", "a link to a folder outside the site"},
        {"self", ".", "a link to a folder of the site, sent under its own name"},
        {"alias", "sub", "a link to a folder of the site, sent under its own name"},
        {"secret.txt", world / "private/id_rsa", "a link to a file outside the site"},
        {"notes.txt", world / "site-private/notes.txt", "a link to a file outside the site"},
        {"media", world / "unmounted/media", "a link that leads nowhere"},
    };
    for (const auto& link : links) {
        ASSERT_EQ(::symlink(link.target.c_str(), (root + "/" + link.link).c_str()), 0);
    }
    // What earlier uploads left on the server.
    for (const char* folder : {"/www/keys", "/www/alias", "/www/media"}) {
        server->folders.insert(folder);
    }
    for (const char* path :
         {"/www/keys/id_rsa", "/www/alias/b.htm", "/www/media/x.jpg", "/www/gone.htm"}) {
        server->files[path] = {"old", 1, true};
    }
    boxes->QueueAnswer(IDYES);  // delete what the site no longer has

    UploadJob job = Job();
    job.localFolder = root;
    job.deleteExtra = true;
    EXPECT_EQ(RunUpload(job, ConnectTo(server)), UploadOutcome::Finished);

    std::set<std::string> remote;
    for (const auto& [path, file] : server->files) {
        remote.insert(path);
    }
    EXPECT_EQ(remote,
              (std::set<std::string>{"/www/a.htm", "/www/alias/b.htm", "/www/index.htm",
                                     "/www/keys/id_rsa", "/www/media/x.jpg", "/www/sub/b.htm"}));
    EXPECT_EQ(Remote("/www/index.htm"), "page");
    const std::vector<std::string> statuses = receiver->StatusTexts();
    for (const auto& link : links) {
        const std::string line =
            std::string("Skipping \"") + link.link + "\" (" + link.reason + ")";
        EXPECT_EQ(Contains(statuses, line), *link.reason != '\0') << line;
    }
    for (const std::string& line : std::vector<std::string>{
             "Skipping \"bad?name.htm\" (its name holds a line break or another control character)",
             "Skipping \"ctl?dir\" (its name holds a line break or another control character)",
             "Skipping \"pipe\" (not a regular file)",
             "Skipping \"sub/" + LeftoverName(1) + "\" (a temporary file Mavren was writing)"}) {
        EXPECT_TRUE(Contains(statuses, line)) << line;
    }
    EXPECT_NE(receiver->TimingTexts().back().find("; 11 left out"), std::string::npos)
        << receiver->TimingTexts().back();
    // Their copies on the server stay for the reason given above, and for no other.
    EXPECT_TRUE(std::none_of(statuses.begin(), statuses.end(), [](const std::string& line) {
        return line.starts_with("Keeping ");
    })) << testing::PrintToString(statuses);
    EXPECT_EQ(statuses.back(), "Done.");
}

// A folder on the server whose listing breaks off leaves the search for what the site no
// longer has unfinished: nothing is deleted, not even what was found before the break, and
// the upload fails naming the folder, once the site's files are sent.
TEST_F(UploadWorkerFake, AListingThatBreaksOffDeletesNothing) {
    WriteFileBytes(site / "index.htm", "page");
    WriteFileBytes(site / "album/b.jpg", "b");
    // A folder the site has too, and one it no longer has; each after an extra file.
    for (const std::string broken : {"/www/album", "/www/zz"}) {
        server = std::make_shared<FakeFtpServer>();
        server->folders = {"/", "/www", "/www/album", "/www/zz"};
        for (const char* path : {"/www/aaa.htm", "/www/album/a.jpg", "/www/album/c.jpg",
                                 "/www/zz/y.htm", "/www/zz/z.htm"}) {
            server->files[path] = {"old", 1, true};
        }
        server->brokenListings.insert(broken);
        boxes->QueueAnswer(IDYES);  // were a deletion asked about, the user would say Yes
        UploadJob job = Job();
        job.deleteExtra = true;
        job.deleteLimit.kind = DeleteLimit::Kind::None;

        EXPECT_EQ(RunUpload(job, ConnectTo(server)), UploadOutcome::Failed) << broken;
        EXPECT_EQ(Remote("/www/album/b.jpg"), "b") << broken;
        for (const std::string& command : server->log) {
            EXPECT_TRUE(command.rfind("DELE ", 0) != 0 && command.rfind("RMD ", 0) != 0)
                << broken << ": " << command;
        }
        EXPECT_EQ(server->files.size(), 7u) << broken;
        EXPECT_EQ(boxes->Texts().back(),
                  "Failed to list directory on FTP server\n\nDirectory: " + broken +
                      "\n\nReason: 426 Connection closed; transfer aborted.\n\nNothing was "
                      "deleted.");
        EXPECT_EQ(receiver->StatusTexts().back(), "FTP Error.");
    }
}

TEST_F(UploadWorkerFake, NothingButEmptyFilesShowsAllDone) {
    WriteFileBytes(site / "a.htm", "");
    WriteFileBytes(site / "b.htm", "");
    EXPECT_EQ(Run(), UploadOutcome::Finished);
    EXPECT_EQ(receiver->Progress(), (std::vector<int>{100, 100}));
    EXPECT_EQ(Remote("/www/b.htm"), "");
}

TEST_F(UploadWorkerFake, AFolderWithoutFilesEndsWithDoneAndNoBytes) {
    ::mkdir((site / "empty subfolder").c_str(), 0755);
    EXPECT_EQ(Run(), UploadOutcome::Finished);
    const std::vector<std::string> statuses = Statuses(*receiver);
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_EQ(statuses[statuses.size() - 2], "@");
    EXPECT_EQ(receiver->TimingTexts().back(), "0 bytes sent");
    EXPECT_EQ(statuses.back(), "Done.");
    EXPECT_TRUE(receiver->Progress().empty());
    EXPECT_TRUE(LastMessageIsWorkDone());
}

TEST_F(UploadWorkerFake, AMissingLocalFolderIsReportedBeforeConnecting) {
    UploadJob job = Job();
    job.localFolder = site / "not there";
    EXPECT_EQ(RunUpload(job, ConnectTo(server)), UploadOutcome::Failed);
    EXPECT_EQ(boxes->Texts(), std::vector<std::string>{
                                  "Failed to change directory on local machine\n\nDirectory: " +
                                  job.localFolder + "\n\nReason: No such file or directory"});
    EXPECT_EQ(Statuses(*receiver), std::vector<std::string>{"Error."});
    EXPECT_TRUE(LastMessageIsWorkDone());
    EXPECT_EQ(server->connections, 0);
}

TEST_F(UploadWorkerFake, AFailedSubfolderEndsTheUploadWithItsReason) {
    WriteFileBytes(site / "images/a.jpg", "jpg");
    server->unmakeable.insert("images");
    EXPECT_EQ(Run(), UploadOutcome::Failed);
    EXPECT_EQ(boxes->Texts(),
              std::vector<std::string>{"Failed to change directory on FTP server\n\nDirectory: "
                                       "images\n\nReason 550 Cannot make images."});
    EXPECT_EQ(Statuses(*receiver).back(), "FTP Error.");
    EXPECT_TRUE(LastMessageIsWorkDone());
}

TEST(CreateRemotePath, CreatesEachMissingLevelAndReturnsToTheStart) {
    struct Case {
        std::string start;
        std::set<std::string> existing;
        std::string path;
        std::set<std::string> unmakeable;
        int result;
        std::set<std::string> folders;  // afterwards
        std::string current;            // afterwards
        std::vector<std::string> made;  // MKD commands in order
    };
    const Case cases[] = {
        {"/", {}, "a/b", {}, 0, {"/", "/a", "/a/b"}, "/", {"MKD a", "MKD b"}},
        {"/www",
         {"/www", "/www/a"},
         "a/b",
         {},
         0,
         {"/", "/www", "/www/a", "/www/a/b"},
         "/www",
         {"MKD b"}},
        {"/www", {"/www"}, "/x/y", {}, 0, {"/", "/www", "/x", "/x/y"}, "/www", {"MKD x", "MKD y"}},
        {"/", {}, "", {}, 0, {"/"}, "/", {}},
        {"/",
         {},
         "a/b",
         {"b"},
         ERROR_INTERNET_EXTENDED_ERROR,
         {"/", "/a"},
         "/a",
         {"MKD a", "MKD b"}},
    };
    for (const Case& c : cases) {
        auto server = std::make_shared<FakeFtpServer>();
        server->folders.insert(c.existing.begin(), c.existing.end());
        server->current = c.start;
        server->unmakeable = c.unmakeable;
        FakeFtp connection(server);
        const Result created = CreateRemotePath(connection, c.path);
        EXPECT_EQ(created.internetCode(), c.result) << c.path;
        EXPECT_EQ(server->folders, c.folders) << c.path;
        EXPECT_EQ(server->current, c.current) << c.path;
        std::vector<std::string> made;
        for (const std::string& entry : server->log) {
            if (entry.rfind("MKD ", 0) == 0) {
                made.push_back(entry);
            }
        }
        EXPECT_EQ(made, c.made) << c.path;
        if (c.result != 0) {
            EXPECT_EQ(created.text(), "550 Cannot make b.");
        }
    }
}

}  // namespace
