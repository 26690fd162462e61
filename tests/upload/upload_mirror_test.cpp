// The mirror (an upload that deletes what the site no longer has) against real FTP servers
// that behave as some real ones do: links on the server, names kept in another letter
// case, a PWD reply that lies, listings in other forms or without end, and a server that
// never answers QUIT.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ftp_test_server.h"
#include "support/fuse_mount.h"
#include "support/recording_receiver.h"
#include "support/sftp_test_server.h"
#include "support/test_support.h"
#include "upload/internet_session.h"
#include "upload/ssh_host_keys.h"
#include "upload/upload_in_time.h"
#include "upload/upload_mirror.h"
#include "upload/upload_worker.h"

namespace {

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

class MirrorTest : public ::testing::Test {
  protected:
    MirrorTest() { CreateSession(); }
    ~MirrorTest() override { DeleteSession(); }

    UploadJob Job(const FtpTestServer& server, const std::string& remote) const {
        UploadJob job{
            server.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, site.path(), remote,
            receiver};
        job.deleteExtra = true;
        job.deleteLimit.kind = DeleteLimit::Kind::None;
        return job;
    }

    // Runs the job with a fresh receiver; fails the test rather than hang.
    UploadOutcome Run(UploadJob job) {
        receiver = std::make_shared<RecordingReceiver>();
        job.window = receiver;
        return RunUploadInTime(job);
    }

    static std::vector<std::string> Deletions(const FtpTestServer& server) {
        std::vector<std::string> commands;
        for (const std::string& command : server.Commands()) {
            if (command.rfind("DELE ", 0) == 0 || command.rfind("RMD ", 0) == 0) {
                commands.push_back(command);
            }
        }
        return commands;
    }

    bool Saw(const std::string& status) const {
        const std::vector<std::string> texts = receiver->StatusTexts();
        return std::count(texts.begin(), texts.end(), status) == 1;
    }

    TempDir site;
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
    ScopedScriptedBoxes boxes;
};

TEST_F(MirrorTest, ALinkOnTheServerIsDeletedAsALinkAndNeverEntered) {
    FtpTestServer server;
    const std::string root = server.Root();
    WriteFileBytes(root + "/private/secret.txt", "secret");
    WriteFileBytes(root + "/www/images/old.jpg", "stale");
    ASSERT_EQ(::symlink("../private", (root + "/www/shared").c_str()), 0);
    WriteFileBytes(site / "a.htm", "a");
    WriteFileBytes(site / "images/b.jpg", "b");

    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(Job(server, "www")), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(ReadFileBytes(root + "/private/secret.txt"), "secret");
    EXPECT_FALSE(Exists(root + "/www/shared"));
    EXPECT_FALSE(Exists(root + "/www/images/old.jpg"));
    EXPECT_EQ(Deletions(server), (std::vector<std::string>{"DELE old.jpg", "DELE shared"}));
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_NE(boxes->Texts()[0].find("  images/old.jpg\n  shared (a link)\n"), std::string::npos)
        << boxes->Texts()[0];
}

TEST_F(MirrorTest, OverSftpALinkIsDeletedAsALinkToo) {
    SftpTestServer sshd;
    ASSERT_TRUE(sshd.IsRunning());
    // Known for this test only: the other tests start without a known_hosts.
    struct Forget {
        ~Forget() { std::remove(UserKnownHostsFile().c_str()); }
    } forget;
    WriteFileBytes(UserKnownHostsFile(), sshd.KnownHostsLine());
    const std::string root = sshd.Root();
    WriteFileBytes(root + "/private/secret.txt", "secret");
    WriteFileBytes(root + "/www/old.htm", "old");
    ASSERT_EQ(::symlink("../private", (root + "/www/shared").c_str()), 0);
    WriteFileBytes(site / "a.htm", "a");
    UploadJob job{sshd.Host(), SftpTestServer::User(), "", site.path(), root + "/www", receiver};
    job.protocol = FtpProtocol::Sftp;
    job.deleteExtra = true;
    job.deleteLimit.kind = DeleteLimit::Kind::None;

    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(job), UploadOutcome::Finished) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(ReadFileBytes(root + "/private/secret.txt"), "secret");
    EXPECT_FALSE(Exists(root + "/www/shared"));
    EXPECT_FALSE(Exists(root + "/www/old.htm"));
    EXPECT_EQ(ReadFileBytes(root + "/www/a.htm"), "a");
}

TEST_F(MirrorTest, AServerThatIgnoresLetterCaseKeepsTheSite) {
    // The server keeps the case a name had when the file is overwritten.
    FtpTestServer server({.quirks = {"case-insensitive"}});
    const std::string www = server.Root() + "/www";
    WriteFileBytes(www + "/index000.htm", "old page");
    WriteFileBytes(www + "/thumbs/tn_a.jpg", "old thumbnail");
    WriteFileBytes(www + "/stale.htm", "stale");
    WriteFileBytes(site / "INDEX000.HTM", "page");
    WriteFileBytes(site / "Thumbs/TN_a.jpg", "thumbnail");

    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(Job(server, "www")), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(ReadFileBytes(www + "/index000.htm"), "page");
    EXPECT_EQ(ReadFileBytes(www + "/thumbs/tn_a.jpg"), "thumbnail");
    EXPECT_EQ(Deletions(server), std::vector<std::string>{"DELE stale.htm"});
    EXPECT_TRUE(
        Saw("Keeping \"index000.htm\" on the server: its name differs from "
            "\"INDEX000.HTM\" only in letter case"));
    EXPECT_TRUE(
        Saw("Keeping \"thumbs/\" on the server: its name differs from \"Thumbs\" only "
            "in letter case"));
}

TEST_F(MirrorTest, AServerThatMisnamesItsFolderGetsFilesButNoDeletion) {
    FtpTestServer server({.quirks = {"lying-pwd"}});
    const std::string root = server.Root();
    WriteFileBytes(root + "/mail.txt", "mail");
    WriteFileBytes(root + "/private/secret.txt", "secret");
    WriteFileBytes(root + "/www/old.htm", "old");
    WriteFileBytes(site / "new.htm", "new");

    ASSERT_EQ(Run(Job(server, "www")), UploadOutcome::Failed);
    EXPECT_EQ(ReadFileBytes(root + "/www/new.htm"), "new") << "files go by the full path";
    EXPECT_TRUE(Exists(root + "/mail.txt"));
    EXPECT_TRUE(Exists(root + "/private/secret.txt"));
    EXPECT_TRUE(Exists(root + "/www/old.htm"));
    EXPECT_TRUE(Deletions(server).empty());
    EXPECT_EQ(boxes->Texts(),
              std::vector<std::string>{
                  "Nothing was deleted on the FTP server: after changing into \"/www\" the "
                  "server said it is in \"/\", so Mavren cannot be sure which folder it would "
                  "delete in."});
}

TEST_F(MirrorTest, DeletingMoreThanTheLimitIsRefusedOrAskedWithNoOffered) {
    FtpTestServer server;
    for (int i = 0; i < 60; ++i) {
        WriteFileBytes(server.Root() + "/old" + std::to_string(i) + ".htm", "old");
    }
    WriteFileBytes(site / "a.htm", "a");

    UploadJob job = Job(server, "");
    job.deleteLimit = DeleteLimit{};
    job.limitAdvice = " (advice)";
    EXPECT_EQ(Run(job), UploadOutcome::Failed);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/a.htm"), "a") << "the files still go";
    ASSERT_EQ(boxes->Boxes().size(), 1u);
    const std::string refusal = boxes->Boxes()[0].text;
    EXPECT_EQ(refusal.rfind("The server has 60 files and folders below \"/\" that the site no "
                            "longer has:\n\n  old0.htm\n  old1.htm\n",
                            0),
              0u)
        << refusal;
    EXPECT_NE(refusal.find("  ... and 30 more\n\nThose are 60 files, more than 50, so Mavren "
                           "deleted none of them. (advice)"),
              std::string::npos)
        << refusal;
    EXPECT_TRUE(!receiver->TimingTexts().empty() &&
                receiver->TimingTexts().back().find("; 60 files not deleted") != std::string::npos);

    // The desktop program asks instead, offering No.
    ASSERT_EQ(::unlink((server.Root() + "/old59.htm").c_str()), 0);
    WriteFileBytes(site / "b.htm", "b");
    job.askAboveLimit = true;
    boxes->QueueAnswer(IDNO);
    EXPECT_EQ(Run(job), UploadOutcome::Finished);
    ASSERT_EQ(boxes->Boxes().size(), 2u);
    EXPECT_EQ(boxes->Boxes()[1].flags, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    EXPECT_NE(boxes->Boxes()[1].text.find("Those are 59 files, more than 50. Delete them all the "
                                          "same?"),
              std::string::npos)
        << boxes->Boxes()[1].text;
    EXPECT_TRUE(Deletions(server).empty());

    job.askAboveLimit = false;
    job.deleteLimit = {DeleteLimit::Kind::AtMost, 59};
    boxes->QueueAnswer(IDYES);
    EXPECT_EQ(Run(job), UploadOutcome::Finished);
    EXPECT_EQ(Deletions(server).size(), 59u);
    EXPECT_TRUE(Exists(server.Root() + "/b.htm"));
}

TEST_F(MirrorTest, ListingsOfEveryFormAreReadWholeOrNotAtAll) {
    struct Case {
        FtpTestServer::Options options;
        std::vector<std::string> plan;
    };
    const Case cases[] = {
        // A name holding a CR stays whole (and stays: no command could carry it).
        {{}, {"delete  other.htm"}},
        // LIST without a group column; as Windows servers list.
        {{.noMlst = true, .quirks = {"seven-field-list"}},
         {"delete  my photo.jpg", "delete  other.htm"}},
        {{.noMlst = true, .quirks = {"dos-list"}}, {"delete  my photo.jpg", "delete  other.htm"}},
        {{.noMlst = true}, {"delete  my photo.jpg", "delete  other.htm"}},
    };
    for (const Case& c : cases) {
        FtpTestServer server(c.options);
        WriteFileBytes(server.Root() + "/old\rname.htm", "x");
        WriteFileBytes(server.Root() + "/other.htm", "x");
        // The server's own file keeps a folder the site no longer has.
        WriteFileBytes(server.Root() + "/gone/.htaccess", "Deny from all");
        WriteFileBytes(server.Root() + "/a.htm", "a");
        WriteFileBytes(site / "a.htm", "a");
        std::vector<std::string> plan;
        UploadJob job = Job(server, "");
        job.dryRun = true;
        job.report = [&plan](UploadAction action, const std::string& path, std::int64_t) {
            if (action == UploadAction::Delete) {
                plan.push_back("delete  " + path);
            }
        };
        if (c.options.noMlst) {
            WriteFileBytes(server.Root() + "/my photo.jpg", "x");
        }
        EXPECT_EQ(Run(job), UploadOutcome::Finished);
        std::sort(plan.begin(), plan.end());
        EXPECT_EQ(plan, c.plan) << testing::PrintToString(c.options.quirks);
    }
}

TEST_F(MirrorTest, AListingThatNeverEndsFailsTheMirror) {
    FtpTestServer server({.quirks = {"endless-mlsd"}});
    WriteFileBytes(server.Root() + "/www/old.htm", "old");
    ASSERT_EQ(::mkdir((server.Root() + "/www/endless").c_str(), 0755), 0);
    WriteFileBytes(site / "a.htm", "a");

    ASSERT_EQ(Run(Job(server, "www")), UploadOutcome::Failed);
    EXPECT_EQ(boxes->Texts(),
              std::vector<std::string>{"Failed to list directory on FTP server\n\nDirectory: "
                                       "/www/endless\n\nReason: The listing is longer than Mavren "
                                       "reads (more than 1,000,000 entries or 256 MB).\n\nNothing "
                                       "was deleted."});
    EXPECT_TRUE(Deletions(server).empty());
    EXPECT_TRUE(Exists(server.Root() + "/www/old.htm"));
}

// A folder whose listing breaks off part way (a failing disk, a network share that drops)
// was not read whole: what the walk did not see is not gone from the site, so nothing is
// deleted, and the upload ends as a failure once the rest is sent.
TEST_F(MirrorTest, AFolderListedOnlyInPartDeletesNothingAndFails) {
    const struct {
        const char* breaks;  // the folder whose listing breaks off
        const char* shown;   // as the lines name it; "" for the mount point
    } cases[] = {{"", ""}, {"album", "album"}};
    for (const auto& c : cases) {
        TempDir dir;
        FtpTestServer server;
        for (const char* folder : {"", "album/"}) {
            for (int i = 0; i < 10; ++i) {
                const std::string name = std::string(folder) + "p" + std::to_string(i) + ".htm";
                WriteFileBytes(dir / ("disk/" + name), name);
                WriteFileBytes(server.Root() + "/www/" + name, name);  // sent before
            }
        }
        WriteFileBytes(dir / ("disk/" + std::string(c.breaks) + "/.listing-breaks"), "");
        const FuseMount mount(MAVREN_SOURCE_DIR "/tests/support/breaking_listing_fs.py",
                              dir / "disk", dir / "mount");
        if (!mount.Mounted()) {
            GTEST_SKIP() << "No FUSE mount to test on (/dev/fuse, root, python3-fusepy): "
                         << mount.said;
        }
        const std::string shown = *c.shown != '\0' ? c.shown : dir / "mount";
        UploadJob job = Job(server, "www");
        job.localFolder = dir / "mount";
        job.fullCheck = true;
        boxes->QueueAnswer(IDYES);  // were a deletion asked about, the user would say Yes
        EXPECT_EQ(Run(job), UploadOutcome::Failed) << c.breaks;
        EXPECT_TRUE(Deletions(server).empty()) << c.breaks;
        EXPECT_TRUE(Saw("Reading the folder \"" + shown + "\" broke off: Input/output error"))
            << testing::PrintToString(receiver->StatusTexts());
        EXPECT_TRUE(Saw("Nothing was deleted: not every folder could be read."));
        EXPECT_EQ(receiver->StatusTexts().back(), "Error.");
        // The one box of the case: no question about deleting.
        EXPECT_EQ(boxes->Texts().size(), static_cast<std::size_t>(&c - cases + 1));
        EXPECT_EQ(boxes->Texts().back(),
                  "Not every folder could be read, so the upload is not complete:\n\n  " + shown +
                      " (Input/output error)\n\nUpload again once the folders can be read.");
    }
}

TEST_F(MirrorTest, AnUnansweredQuitIsNotWaitedFor) {
    FtpTestServer server({.quirks = {"silent-quit"}});
    WriteFileBytes(site / "a.htm", "a");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Run(Job(server, "")), UploadOutcome::Finished);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(server.Count("QUIT"), 1);
    EXPECT_EQ(receiver->StatusTexts().back(), "Done.");
}

// The limits are "more than": the count itself is still allowed.
TEST(DeletionOverLimit, RefusesJustPastEachLimit) {
    const DeleteLimit standard;
    const DeleteLimit atMost10{DeleteLimit::Kind::AtMost, 10};
    const DeleteLimit none{DeleteLimit::Kind::None, 0};
    struct Case {
        const DeleteLimit& limit;
        std::int64_t files;
        std::int64_t listed;
        const char* over;
    };
    const Case cases[] = {
        {standard, 50, 1000, ""},
        {standard, 51, 1000, "more than 50"},
        {standard, 2, 8, ""},
        {standard, 3, 8, "more than a quarter of the 8 files there"},
        {standard, 1, 1, "more than a quarter of the 1 files there"},
        {atMost10, 10, 10, ""},
        {atMost10, 11, 1000, "more than the 10 allowed"},
        {none, 5000, 5000, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeletionOverLimit(c.limit, c.files, c.listed), c.over)
            << c.files << " of " << c.listed;
    }
}

}  // namespace
