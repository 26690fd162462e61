// The upload worker against a real FTP server on loopback.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/registry_store.h"
#include "support/ftp_test_server.h"
#include "support/recording_receiver.h"
#include "support/sftp_test_server.h"
#include "support/test_support.h"
#include "upload/ftp_profiles.h"
#include "upload/internet_session.h"
#include "upload/ssh_host_keys.h"
#include "upload/upload_connect.h"
#include "upload/upload_in_time.h"
#include "upload/upload_worker.h"
#include "upload/upload_worker_fixture.h"

namespace {

TEST_F(UploadWorkerTest, MirrorsTheTreeThenSendsOnlyWhatChanged) {
    // By the listing alone, as an upload without a record goes.
    connections = 1;
    fullCheck = true;
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
    EXPECT_EQ(boxes->Texts(), receiver->ErrorTexts()) << "every box through the window";
}

TEST_F(UploadWorkerTest, StoppingDuringALargeFileLeavesAPartialCopy) {
    // Slow enough that the file is far from whole after a second.
    FtpTestServer server({.throttle = 2 * 1024 * 1024});
    connections = 1;  // z.htm waits for the same connection
    const std::size_t size = 32 * 1024 * 1024;
    WriteFileBytes(site / "big.bin", std::string(size, 'b'));
    WriteFileBytes(site / "z.htm", "after");
    receiver->hook = [this](const std::string& status) {
        if (status.rfind("Uploading \"big.bin\" - ", 0) == 0) {
            stop->Request();
        }
    };
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Canceled);
    // The server writes what it received on its own time: look once it has closed the copy.
    EXPECT_EQ(server.WaitForUploadEnd("big.bin"), "~incomplete")
        << testing::PrintToString(server.Commands());
    struct stat partial {};
    ASSERT_EQ(::stat((server.Root() + "/big.bin").c_str(), &partial), 0);
    EXPECT_GT(partial.st_size, 0);
    EXPECT_LT(partial.st_size, static_cast<off_t>(size));
    EXPECT_FALSE(receiver->Saw("Done."));
    EXPECT_TRUE(receiver->WorkDone()) << "a stopped upload still tells its window it ended";
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
    // Given up only after the last of the retries.
    EXPECT_EQ(CountStarting(receiver->StatusTexts(), "Trying \"big.bin\" again (3 of 3)"), 1)
        << testing::PrintToString(receiver->StatusTexts());
    EXPECT_EQ(receiver->StatusTexts().back(), "FTP Error.");
    EXPECT_TRUE(receiver->WorkDone());
}

TEST_F(UploadWorkerTest, AConnectionCutInAFileGoesOnWhereItStoppedOnAFreshOne) {
    FtpTestServer server({.more = {"--cut-after", "3000000"}});
    const std::string bytes = Varied(8 * 1024 * 1024);
    WriteFileBytes(site / "big.bin", bytes);
    WriteFileBytes(site / "small.htm", "small");

    ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    EXPECT_TRUE(ReadFileBytes(server.Root() + "/big.bin") == bytes) << "not byte for byte";
    EXPECT_EQ(ReadFileBytes(server.Root() + "/small.htm"), "small");
    const std::vector<std::string> texts = receiver->StatusTexts();
    EXPECT_EQ(CountStarting(texts, "Trying \"big.bin\" again (1 of 3) in 1 second: "), 1);
    EXPECT_EQ(CountStarting(texts, "Going on with \"big.bin\" from byte "), 1)
        << testing::PrintToString(texts);
    EXPECT_EQ(server.Count("APPE big.bin"), 1);
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(UploadWorkerTest, AServerThatTakesTwoLoginsGetsEveryFileOverThoseTwo) {
    FtpTestServer server({.more = {"--max-logins", "2"}});
    for (int i = 0; i < 12; ++i) {
        WriteFileBytes(site / ("page" + std::to_string(i) + ".htm"), Varied(20000 + i));
    }
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    for (int i = 0; i < 12; ++i) {
        const std::string name = "page" + std::to_string(i) + ".htm";
        EXPECT_TRUE(ReadFileBytes(server.Root() + "/" + name) == Varied(20000 + i)) << name;
    }
    EXPECT_EQ(CountStarting(receiver->StatusTexts(), "The server refused another connection"), 1);
    EXPECT_EQ(receiver->StatusTexts().back(), "Done.");
}

TEST_F(UploadWorkerTest, AServerWhoseClockIsHoursOffGetsNothingAgain) {
    for (const char* offset : {"18000", "-10800"}) {
        SCOPED_TRACE(offset);
        FtpTestServer server({.more = {"--clock-offset", offset}});
        MakeSite();
        ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
        EXPECT_EQ(server.Count("STOR"), 3);
        // Generated anew: the same pages, written again.
        MakeSite();
        receiver = std::make_shared<HookedReceiver>();
        ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
        EXPECT_EQ(server.Count("STOR"), 3);
        EXPECT_TRUE(receiver->Saw("Skipping \"a.htm\" (unchanged since the last upload)"));

        // A page that changed goes, at the same size.
        WriteFileBytes(site / "a.htm", "<p>b</p>");
        receiver = std::make_shared<HookedReceiver>();
        ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
        EXPECT_EQ(server.Count("STOR"), 4);
        EXPECT_EQ(ReadFileBytes(server.Root() + "/a.htm"), "<p>b</p>");
    }
}

TEST_F(UploadWorkerTest, WithoutItsRecordAnUploadComparesEveryFileWithTheListing) {
    const std::string records = RegistryStoreFolder() + "/Upload records";
    for (const char* damage : {"delete", "garbage", "cut"}) {
        SCOPED_TRACE(damage);
        FtpTestServer server;
        MakeSite();
        ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
        std::vector<std::string> written;
        for (const auto& entry : std::filesystem::directory_iterator(records)) {
            written.push_back(entry.path());
        }
        for (const std::string& record : written) {
            const std::string text = ReadFileBytes(record);
            if (std::string(damage) == "delete") {
                ::unlink(record.c_str());
            } else if (std::string(damage) == "garbage") {
                WriteFileBytes(record, "\x01\x02 not a record\n");
            } else {
                WriteFileBytes(record, text.substr(0, text.size() / 2));
            }
        }
        // Changed at the same size, and newer than the server's copy.
        WriteFileBytes(site / "index.htm", "<p>INDEX</p>");
        SetModificationTime(site / "index.htm", ModificationTime(server.Root() + "/index.htm") + 5);
        receiver = std::make_shared<HookedReceiver>();
        ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
        EXPECT_EQ(ReadFileBytes(server.Root() + "/index.htm"), "<p>INDEX</p>");
        EXPECT_EQ(server.Count("STOR"), 4);
        EXPECT_EQ(std::string(damage) != "delete",
                  CountStarting(receiver->StatusTexts(), "The record of the last upload") == 1);
    }
}

TEST_F(UploadWorkerTest, StoppingWithFourFilesOnTheirWayEndsEveryConnection) {
    FtpTestServer server({.throttle = 512 * 1024});
    for (int i = 0; i < 4; ++i) {
        WriteFileBytes(site / ("big" + std::to_string(i) + ".bin"), std::string(8 << 20, 'b'));
    }
    std::atomic<int> opened{0};
    std::atomic<std::chrono::steady_clock::rep> stopped{0};
    receiver->hook = [&](const std::string& status) {
        opened += status.rfind("Opening \"big", 0) == 0 ? 1 : 0;
        if (opened == 4 && status.rfind("Uploading \"big", 0) == 0 && stopped == 0) {
            stopped = std::chrono::steady_clock::now().time_since_epoch().count();
            stop->Request();
        }
    };
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Canceled);
    const std::chrono::steady_clock::time_point stop{std::chrono::steady_clock::duration(stopped)};
    EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(2))
        << "a transfer drained what it still held";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(server.WaitForUploadEnd("big" + std::to_string(i) + ".bin"), "~incomplete");
    }
    EXPECT_EQ(server.Count("USER"), 4);
    EXPECT_TRUE(receiver->WorkDone());
}

TEST_F(UploadWorkerTest, ARateLimitHoldsAllConnectionsTogether) {
    FtpTestServer server;
    for (int i = 0; i < 4; ++i) {
        WriteFileBytes(site / ("part" + std::to_string(i) + ".bin"), Varied(96 << 10));
    }
    rateLimit = 128 << 10;  // 384 KiB take 3 seconds at this rate, not 0.75 as 4 x 128 KiB
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(server.Count("~received"), 4);
}

TEST_F(UploadWorkerTest, DeleteRemovesWhatTheSiteNoLongerHasAfterAskingAndADryRunOnlyTells) {
    FtpTestServer server;
    MakeSite();
    WriteFileBytes(site / "old.htm", "stale");
    WriteFileBytes(site / "gone/deep/x.jpg", "x");
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
    std::remove((site / "old.htm").c_str());
    std::remove((site / "gone/deep/x.jpg").c_str());
    ::rmdir((site / "gone/deep").c_str());
    ::rmdir((site / "gone").c_str());
    WriteFileBytes(server.Root() + "/.htaccess", "server's own");
    WriteFileBytes(site / "new.htm", "new");

    std::vector<std::string> plan;
    UploadJob dry{server.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, site.path(), "",
                  receiver};
    dry.dryRun = true;
    dry.deleteExtra = true;
    dry.report = [&plan](UploadAction action, const std::string& path, std::int64_t) {
        plan.push_back((action == UploadAction::Send   ? "send "
                        : action == UploadAction::Skip ? "skip "
                                                       : "delete ") +
                       path);
    };
    const int storedBefore = server.Count("STOR");
    const int changesBefore = server.Count("DELE") + server.Count("RMD") + server.Count("MKD");
    ASSERT_EQ(Run(dry), UploadOutcome::Finished);
    EXPECT_EQ(plan,
              (std::vector<std::string>{"skip a.htm", "skip images/a.jpg", "skip index.htm",
                                        "send new.htm", "delete gone/deep/x.jpg",
                                        "delete gone/deep/", "delete gone/", "delete old.htm"}));
    EXPECT_EQ(server.Count("STOR"), storedBefore) << "a dry run changes nothing";
    EXPECT_EQ(server.Count("DELE") + server.Count("RMD") + server.Count("MKD"), changesBefore);
    EXPECT_TRUE(boxes->Texts().empty());

    // No: everything stays. Yes: the four go, the server's own file stays.
    UploadJob job{server.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, site.path(), "",
                  receiver};
    job.deleteExtra = true;
    job.deleteLimit.kind = DeleteLimit::Kind::None;  // two of the seven files: past a quarter
    boxes->QueueAnswer(IDNO);
    ASSERT_EQ(Run(job), UploadOutcome::Finished);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/old.htm"), "stale");
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(job), UploadOutcome::Finished);
    ASSERT_EQ(boxes->Texts().size(), 2u);
    EXPECT_EQ(boxes->Texts()[1],
              "The server has 4 files and folders below \"/\" that the site no longer has:\n\n"
              "  gone/deep/x.jpg\n  gone/deep/\n  gone/\n  old.htm\n\nDelete them?");
    struct stat status {};
    EXPECT_NE(::stat((server.Root() + "/old.htm").c_str(), &status), 0);
    EXPECT_NE(::stat((server.Root() + "/gone").c_str(), &status), 0);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/.htaccess"), "server's own");
    EXPECT_EQ(ReadFileBytes(server.Root() + "/new.htm"), "new");
    EXPECT_EQ(receiver->StatusTexts().back(), "Done.");
}

// Albums several levels deep, named with spaces and non-ASCII letters: their folders are
// made level by level, nothing goes again when nothing changed, and an album gone from the
// site is taken from the server, each folder after what it held.
TEST_F(UploadWorkerTest, AnAlbumTreeGoesUpAndAGoneAlbumIsMirroredAway) {
    FtpTestServer ftp;
    SftpTestServer sshd;
    ASSERT_TRUE(sshd.IsRunning());
    const std::vector<std::string> files = {"INDEX000.HTM",
                                            "Thumbs/TN_a.jpg",
                                            "2024/Trip to Rome/INDEX000.HTM",
                                            "2024/Trip to Rome/Thumbs/TN_a.jpg",
                                            "2024/Trip to Rome/Web/a.jpg",
                                            "2023/Zürich/Altstadt/INDEX000.HTM",
                                            "2023/Zürich/Altstadt/Web/Small/b.jpg"};
    const struct {
        FtpProtocol protocol;
        std::string host, user, password, remote, remoteRoot;
    } rows[] = {
        {FtpProtocol::Ftp, ftp.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, "www",
         ftp.Root() + "/www"},
        {FtpProtocol::Sftp, sshd.Host(), SftpTestServer::User(), "", sshd.Root() + "/www",
         sshd.Root() + "/www"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(FtpProtocolKey(row.protocol));
        const TempDir local;
        for (const std::string& file : files) {
            WriteFileBytes(local / file, file);
        }
        ::mkdir(row.remoteRoot.c_str(), 0755);
        UploadJob job{row.host, row.user, row.password, local.path(), row.remote, receiver};
        job.protocol = row.protocol;
        job.profileName = "test";
        if (row.protocol == FtpProtocol::Sftp) {
            boxes->QueueAnswer(IDYES);  // the host key
        }
        ASSERT_EQ(Run(job), UploadOutcome::Finished)
            << testing::PrintToString(receiver->ErrorTexts())
            << testing::PrintToString(boxes->Texts());
        for (const std::string& file : files) {
            EXPECT_EQ(ReadFileBytes(row.remoteRoot + "/" + file), file);
        }

        receiver = std::make_shared<HookedReceiver>();
        ASSERT_EQ(Run(job), UploadOutcome::Finished);
        EXPECT_TRUE(receiver->SawTiming("0 bytes sent; 7 files unchanged"))
            << testing::PrintToString(receiver->StatusTexts());

        std::filesystem::remove_all(local / "2023");
        job.deleteExtra = true;
        job.deleteLimit.kind = DeleteLimit::Kind::None;
        boxes->QueueAnswer(IDYES);
        receiver = std::make_shared<HookedReceiver>();
        ASSERT_EQ(Run(job), UploadOutcome::Finished)
            << testing::PrintToString(boxes->Texts().back());
        struct stat status {};
        EXPECT_NE(::stat((row.remoteRoot + "/2023").c_str(), &status), 0);
        EXPECT_EQ(ReadFileBytes(row.remoteRoot + "/2024/Trip to Rome/Web/a.jpg"),
                  "2024/Trip to Rome/Web/a.jpg");
    }
}

TEST_F(UploadWorkerTest, FtpsRefusesAnUntrustedCertificateUntilTheUserPinsIt) {
    FtpTestServer server({.tls = true});
    ASSERT_FALSE(server.fingerprint.empty());
    MakeSite();

    boxes->QueueAnswer(IDNO);
    ASSERT_EQ(Upload(server, "", FtpTestServer::kPassword, FtpProtocol::Ftps),
              UploadOutcome::Failed);
    ASSERT_EQ(boxes->Texts().size(), 2u) << "the question, then why the upload failed";
    const std::string question = boxes->Texts()[0];
    EXPECT_EQ(
        question.rfind("The server's certificate is not trusted: self-signed certificate.", 0), 0u)
        << question;
    EXPECT_NE(question.find(server.fingerprint), std::string::npos) << question;
    EXPECT_EQ(boxes->Boxes()[0].flags, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(server.Count("USER"), 0) << "no password for a server not trusted";
    EXPECT_EQ(FtpProfileCertificate("test"), "");

    boxes->QueueAnswer(IDYES);
    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Upload(server, "", FtpTestServer::kPassword, FtpProtocol::Ftps),
              UploadOutcome::Finished)
        << testing::PrintToString(receiver->ErrorTexts()) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(FtpProfileCertificate("test"), server.fingerprint);
    EXPECT_EQ(ReadFileBytes(server.Root() + "/images/a.jpg"), std::string(5000, 'j'));

    // Pinned: no more questions, and nothing to send.
    ASSERT_EQ(Upload(server, "", FtpTestServer::kPassword, FtpProtocol::Ftps),
              UploadOutcome::Finished);
    EXPECT_EQ(boxes->Texts().size(), 3u) << "a pinned certificate asks nothing more";
    EXPECT_TRUE(receiver->SawTiming("0 bytes sent; 3 files unchanged"));
    EXPECT_EQ(server.Count("STOR"), 3);
    // The pin outlives the test when the whole program runs in one process.
    EXPECT_TRUE(ForgetFtpProfileCertificate("test").ok());
}

TEST_F(UploadWorkerTest, FtpsSendsEveryFileWholeOverSeveralConnections) {
    FtpTestServer server({.tls = true});
    constexpr int kFiles = 16;
    for (int i = 0; i < kFiles; ++i) {
        WriteFileBytes(site / ("photo" + std::to_string(i) + ".jpg"), Varied((512 << 10) + i));
    }
    boxes->QueueAnswer(IDYES);  // trust the test's certificate
    ASSERT_EQ(Upload(server, "", FtpTestServer::kPassword, FtpProtocol::Ftps),
              UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "photo" + std::to_string(i) + ".jpg";
        EXPECT_EQ(server.WaitForUploadEnd(name), "~received");
        EXPECT_TRUE(ReadFileBytes(server.Root() + "/" + name) == Varied((512 << 10) + i)) << name;
    }
}

TEST_F(UploadWorkerTest, FtpsNeverLogsInToAServerWithoutTls) {
    FtpTestServer server;
    MakeSite();
    ASSERT_EQ(Upload(server, "", FtpTestServer::kPassword, FtpProtocol::Ftps),
              UploadOutcome::Failed);
    ASSERT_EQ(receiver->ErrorTexts().size(), 1u);
    EXPECT_NE(receiver->ErrorTexts()[0].find("does not offer TLS"), std::string::npos)
        << receiver->ErrorTexts()[0];
    EXPECT_EQ(server.Count("USER"), 0);
    EXPECT_EQ(boxes->Texts(), receiver->ErrorTexts()) << "every box through the window";
}

TEST_F(SftpUploadTest, AsksAboutAnUnknownHostKeyThenUploadsOnlyWhatChanged) {
    ASSERT_TRUE(sshd.IsRunning());
    // Other tests of this program record host keys in the same home when run in one process.
    ::unlink(UserKnownHostsFile().c_str());
    MakeSite();
    UploadJob job = SftpJob();
    boxes->QueueAnswer(IDNO);
    ASSERT_EQ(Run(job), UploadOutcome::Failed);
    ASSERT_EQ(boxes->Texts().size(), 2u) << "the question, then why the upload failed";
    EXPECT_NE(boxes->Texts()[0].find("is not known yet"), std::string::npos) << boxes->Texts()[0];
    EXPECT_NE(boxes->Texts()[0].find("SHA256:"), std::string::npos) << boxes->Texts()[0];
    struct stat status {};
    EXPECT_NE(::stat(UserKnownHostsFile().c_str(), &status), 0) << "nothing recorded on No";

    boxes->QueueAnswer(IDYES);  // the host key
    boxes->QueueAnswer(IDYES);  // the missing folder
    ASSERT_EQ(Run(job), UploadOutcome::Finished)
        << testing::PrintToString(receiver->ErrorTexts()) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(ReadFileBytes(UserKnownHostsFile()), sshd.KnownHostsLine());
    const std::string remote = sshd.Root() + "/www";
    EXPECT_EQ(ReadFileBytes(remote + "/a.htm"), "<p>a</p>");
    EXPECT_EQ(ReadFileBytes(remote + "/images/a.jpg"), std::string(5000, 'j'));
    EXPECT_EQ(ReadFileBytes(remote + "/index.htm"), "<p>index</p>");

    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Run(job), UploadOutcome::Finished);
    EXPECT_TRUE(receiver->SawTiming("0 bytes sent; 3 files unchanged"))
        << testing::PrintToString(receiver->StatusTexts());
    EXPECT_EQ(boxes->Texts().size(), 4u) << "known now: no more questions";

    WriteFileBytes(site / "a.htm", "<p>changed</p>");
    SetModificationTime(site / "a.htm", ModificationTime(remote + "/a.htm") + 5);
    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Run(job), UploadOutcome::Finished);
    EXPECT_EQ(ReadFileBytes(remote + "/a.htm"), "<p>changed</p>");
    EXPECT_TRUE(receiver->Saw("Skipping \"index.htm\" (unchanged since the last upload)"));
}

TEST_F(SftpUploadTest, AFileGoesOnWhereItsCutCopyEnds) {
    ASSERT_TRUE(sshd.IsRunning());
    const std::string bytes = Varied(3 << 20);
    UploadJob job = SftpJob();
    boxes->QueueAnswer(IDYES);  // the host key
    Expected<std::unique_ptr<FtpClient>> connected = ConnectForUpload(job);
    ASSERT_TRUE(connected.ok()) << connected.failure().text();
    std::unique_ptr<FtpClient> connection = std::move(*connected);
    ASSERT_TRUE(connection->SetCurrentDirectory(sshd.Root()).ok());
    std::unique_ptr<FtpRemoteFile> file;
    ASSERT_TRUE(connection->OpenFile("cut.bin", file).ok());
    ASSERT_TRUE(file->Write(bytes.data(), 1 << 20).ok());
    file->Abort();  // as a dropped connection ends it
    file.reset();
    connection.reset();

    connected = ConnectForUpload(job);
    ASSERT_TRUE(connected.ok()) << connected.failure().text();
    connection = std::move(*connected);
    ASSERT_TRUE(connection->SetCurrentDirectory(sshd.Root()).ok());
    RemoteFileStatus kept;
    bool found = false;
    ASSERT_TRUE(connection->FindFile("cut.bin", kept, found).ok());
    ASSERT_TRUE(found);
    ASSERT_GT(kept.size, 0);
    ASSERT_LE(kept.size, 1 << 20);
    const Result resumed = connection->ResumeFile("cut.bin", kept.size, file);
    ASSERT_TRUE(resumed.ok()) << resumed.text();
    const auto from = static_cast<std::size_t>(kept.size);
    ASSERT_TRUE(file->Write(bytes.data() + from, bytes.size() - from).ok());
    const Result closed = file->Close();
    ASSERT_TRUE(closed.ok()) << closed.text();
    EXPECT_TRUE(ReadFileBytes(sshd.Root() + "/cut.bin") == bytes) << "not byte for byte";
}

TEST_F(SftpUploadTest, AChangedHostKeyOrAWrongPasswordIsRefused) {
    ASSERT_TRUE(sshd.IsRunning());
    MakeSite();
    // A key of another server recorded for this one, behind a line no reader understands.
    const std::string line = sshd.KnownHostsLine();
    std::string forged = "damaged line\n" + line.substr(0, line.rfind(' ') + 1) +
                         "AAAAC3NzaC1lZDI1NTE5AAAAIBtGiBCQnkQeZpN3o7xuv0N0QH0eDSa4cp0hd0QwGJpv\n";
    WriteFileBytes(UserKnownHostsFile(), forged);
    UploadJob job = SftpJob();
    boxes->QueueAnswer(IDYES);  // as --yes would answer, were there a question
    ASSERT_EQ(Run(job), UploadOutcome::Failed);
    ASSERT_EQ(receiver->ErrorTexts().size(), 1u);
    EXPECT_NE(receiver->ErrorTexts()[0].find("host key is not the one recorded"), std::string::npos)
        << receiver->ErrorTexts()[0];
    EXPECT_EQ(boxes->Texts(), receiver->ErrorTexts()) << "never offered to replace it";
    EXPECT_EQ(ReadFileBytes(UserKnownHostsFile()), forged);

    WriteFileBytes(UserKnownHostsFile(), line);
    UploadJob wrong = SftpJob("wrong password");
    receiver = std::make_shared<HookedReceiver>();
    ASSERT_EQ(Run(wrong), UploadOutcome::Failed);
    ASSERT_EQ(receiver->ErrorTexts().size(), 1u);
    EXPECT_NE(receiver->ErrorTexts()[0].find("refused the login"), std::string::npos)
        << receiver->ErrorTexts()[0];
    EXPECT_EQ(receiver->ErrorTexts()[0].find("wrong password"), std::string::npos)
        << "the password never shows";
}

TEST_F(SftpUploadTest, KnownHostsLinesThatCannotBeReadAreSkippedWithOneWarning) {
    ASSERT_TRUE(sshd.IsRunning());
    MakeSite();
    std::string many;  // one valid line of about 7 KB naming 400 other hosts
    for (int i = 0; i < 400; ++i) {
        many += (i == 0 ? "" : ",") + std::string("host") + std::to_string(i) + ".example.org";
    }
    many += " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIBtGiBCQnkQeZpN3o7xuv0N0QH0eDSa4cp0hd0QwGJpv\n";
    const std::string known = "|1|damaged\n" + many + sshd.KnownHostsLine();
    WriteFileBytes(UserKnownHostsFile(), known);
    UploadJob job = SftpJob();
    boxes->QueueAnswer(IDYES);  // the missing folder
    ASSERT_EQ(Run(job), UploadOutcome::Finished)
        << testing::PrintToString(receiver->ErrorTexts()) << testing::PrintToString(boxes->Texts());
    EXPECT_EQ(boxes->Texts().size(), 1u) << "the recorded key is found: no question about it";
    EXPECT_EQ(ReadFileBytes(UserKnownHostsFile()), known) << "nothing appended";
    const std::vector<std::string> texts = receiver->StatusTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "Line 1 of " + UserKnownHostsFile() + " cannot be read; it is skipped."),
              1);
}

TEST_F(SftpUploadTest, AKnownHostsFileThatIsNoRegularFileIsRefusedAtOnce) {
    ASSERT_TRUE(sshd.IsRunning());
    MakeSite();
    ::mkdir(PathFolder(UserKnownHostsFile()).c_str(), 0700);
    ::unlink(UserKnownHostsFile().c_str());
    ASSERT_EQ(::mkfifo(UserKnownHostsFile().c_str(), 0600), 0);
    // Gone again whatever happens: a later test writing the file would wait on a FIFO.
    const std::unique_ptr<const char, void (*)(const char*)> removal(
        "", [](const char*) { ::unlink(UserKnownHostsFile().c_str()); });
    UploadJob job = SftpJob();
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Run(job), UploadOutcome::Failed);
    ASSERT_EQ(receiver->ErrorTexts().size(), 1u);
    EXPECT_NE(receiver->ErrorTexts()[0].find(UserKnownHostsFile() +
                                             " cannot be used: it is not a regular file."),
              std::string::npos)
        << receiver->ErrorTexts()[0];
    EXPECT_EQ(boxes->Texts(), receiver->ErrorTexts()) << "no question";
}

TEST_F(SftpUploadTest, AServerWithKeysOfSeveralTypesShowsTheRecordedOne) {
    SftpTestServer both(true);
    ASSERT_TRUE(both.IsRunning());
    MakeSite();
    WriteFileBytes(UserKnownHostsFile(), both.KnownHostsLine());  // its Ed25519 key only
    UploadJob job = SftpJob();
    job.host = both.Host();
    job.remoteFolder = both.Root();
    ASSERT_EQ(Run(job), UploadOutcome::Finished)
        << testing::PrintToString(receiver->ErrorTexts()) << testing::PrintToString(boxes->Texts());
    EXPECT_TRUE(boxes->Texts().empty());
}

}  // namespace
