// What a server keeps of an upload, against real servers with the ways of real ones: a
// cut transfer goes on only onto the bytes this upload sent, every file is checked, and the
// server's copies end up as the site's files, byte for byte.

#include <filesystem>
#include <string>
#include <vector>

#include "upload/upload_worker_fixture.h"

namespace fs = std::filesystem;

namespace {

// Every file of the site is on the server as it is in the site.
void ExpectServerHasSite(const std::string& site, const std::string& remote) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(site)) {
        if (entry.is_regular_file()) {
            const std::string relative = fs::relative(entry.path(), site).string();
            EXPECT_TRUE(ReadFileBytes(remote + "/" + relative) == ReadFileBytes(entry.path()))
                << relative << " differs on the server";
        }
    }
}

// The same bytes as Varied(size) but for one in every 4 KiB, as a photo exported again.
std::string Reexported(std::size_t size) {
    std::string bytes = Varied(size);
    for (std::size_t at = 0; at < size; at += 4096) {
        bytes[at] = static_cast<char>(~bytes[at]);
    }
    return bytes;
}

struct CutServer {
    const char* name;
    std::vector<std::string> quirks;
    std::vector<std::string> expected;  // commands the server must have seen
};

TEST_F(UploadWorkerTest, ACutUploadGoesOnOnlyOntoTheBytesItSent) {
    const CutServer servers[] = {
        // Writes under a temporary name until a file is whole: the old copy stays on a cut.
        {"keep-old-on-cut", {"keep-old-on-cut"}, {}},
        {"hash", {"hash"}, {"HASH big.bin", "APPE big.bin"}},
        {"xmd5", {"xmd5"}, {"XMD5 big.bin", "APPE big.bin"}},
    };
    for (const CutServer& quirky : servers) {
        SCOPED_TRACE(quirky.name);
        FtpTestServer server({.quirks = quirky.quirks, .more = {"--cut-after", "3500000"}});
        receiver = std::make_shared<HookedReceiver>();
        const bool oldCopy = quirky.expected.empty();
        if (oldCopy) {
            // A first, smaller version goes up whole.
            WriteFileBytes(site / "big.bin", Varied(3 << 20));
            ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished);
        }
        WriteFileBytes(site / "big.bin", Reexported(4 << 20));

        ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished)
            << testing::PrintToString(boxes->Texts());
        ExpectServerHasSite(site.path(), server.Root());
        EXPECT_EQ(CountStarting(receiver->StatusTexts(), "Trying \"big.bin\" again (1 of 3)"), 1);
        for (const std::string& command : quirky.expected) {
            EXPECT_EQ(server.Count(command), command.rfind("APPE", 0) == 0 ? 1 : 2) << command;
        }
        if (oldCopy) {
            EXPECT_EQ(server.Count("APPE"), 0);
            EXPECT_TRUE(receiver->Saw(
                "The server kept its earlier copy of \"big.bin\"; it goes again whole"));
        }
    }
}

struct KeepingServer {
    const char* name;
    std::vector<std::string> quirks;
    std::vector<std::string> more;
    UploadOutcome outcome;
    const char* said;  // the start of the reason of the first retry, or of the box
};

TEST_F(UploadWorkerTest, AFileGoesAgainWholeUntilTheServerKeepsWhatWasSent) {
    const KeepingServer servers[] = {
        // Answers 226 once for a file it cut short: sent again, and then whole.
        {"short-store",
         {"short-store"},
         {},
         UploadOutcome::Finished,
         "Trying \"big.bin\" again (1 of 3) in 1 second: The server says it kept 2,097,142 bytes "
         "of \"big.bin\", not the 2,097,152 sent."},
        // Tell every size off by a few bytes: no file passes, and nothing is appended at a
        // wrong place meanwhile.
        {"sizes 7 too large",
         {},
         {"--size-offset", "7", "--cut-after", "1500000"},
         UploadOutcome::Failed,
         "Failed to write FTP file \"big.bin\":\n\nThe server says it kept 2,097,159 bytes of "
         "\"big.bin\", not the 2,097,152 sent."},
        {"sizes 100 too small",
         {},
         {"--size-offset", "-100", "--cut-after", "1500000"},
         UploadOutcome::Failed,
         "Failed to write FTP file \"big.bin\":\n\n"},
    };
    connections = 1;
    for (const KeepingServer& quirky : servers) {
        SCOPED_TRACE(quirky.name);
        FtpTestServer server({.quirks = quirky.quirks, .more = quirky.more});
        receiver = std::make_shared<HookedReceiver>();
        const ScopedScriptedBoxes shown;
        WriteFileBytes(site / "big.bin", Varied(2 << 20));

        EXPECT_EQ(Upload(server, ""), quirky.outcome) << testing::PrintToString(shown->Texts());
        ExpectServerHasSite(site.path(), server.Root());
        if (quirky.outcome == UploadOutcome::Finished) {
            EXPECT_TRUE(shown->Texts().empty()) << testing::PrintToString(shown->Texts());
            EXPECT_EQ(CountStarting(receiver->StatusTexts(), quirky.said), 1)
                << testing::PrintToString(receiver->StatusTexts());
        } else {
            ASSERT_EQ(shown->Texts().size(), 1u);
            EXPECT_EQ(shown->Texts()[0].rfind(quirky.said, 0), 0u) << shown->Texts()[0];
        }
    }
}

TEST_F(UploadWorkerTest, AFileChangedBetweenACutAndItsRetryGoesWhole) {
    FtpTestServer server({.more = {"--cut-after", "3000000"}});
    const std::string path = site / "big.bin";
    WriteFileBytes(path, Varied(4 << 20));
    SetModificationTime(path, 1700000000);
    // Exported again at the same size while the retry waits, even with the same time.
    receiver->hook = [&path](const std::string& status) {
        if (status.rfind("Trying \"big.bin\" again", 0) == 0) {
            WriteFileBytes(path, Reexported(4 << 20));
            SetModificationTime(path, 1700000000);
        }
    };
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    ExpectServerHasSite(site.path(), server.Root());
    EXPECT_EQ(server.Count("APPE"), 0);
    EXPECT_TRUE(
        receiver->Saw("\"big.bin\" changed since its transfer was cut; it goes again whole"));
}

// Through a proxy that cuts the SSH connection after 2 MB, once.
TEST_F(SftpUploadTest, ACutFileGoesOnOnlyWhileItIsTheFileThatWasCut) {
    ASSERT_TRUE(sshd.IsRunning());
    const int sshdPort = std::stoi(sshd.Host().substr(sshd.Host().rfind(':') + 1));
    const std::string path = site / "big.bin";
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "changed" : "unchanged");
        CuttingProxy proxy(sshdPort, 2000000);
        receiver = std::make_shared<HookedReceiver>();
        WriteFileBytes(path, Varied(4 << 20));
        SetModificationTime(path, 1700000000);
        receiver->hook = [&path, changed](const std::string& status) {
            if (changed && status.rfind("Trying \"big.bin\" again", 0) == 0) {
                WriteFileBytes(path, Reexported(4 << 20));
                SetModificationTime(path, 1700000000);
            }
        };
        UploadJob job = SftpJob();
        job.host = "127.0.0.1:" + std::to_string(proxy.port);
        job.connections = 1;
        boxes->QueueAnswer(IDYES);  // the host key of the proxy's port
        boxes->QueueAnswer(IDYES);  // the missing folder
        ASSERT_EQ(Run(job), UploadOutcome::Finished)
            << testing::PrintToString(receiver->ErrorTexts())
            << testing::PrintToString(boxes->Texts());
        ExpectServerHasSite(site.path(), sshd.Root() + "/www");
        EXPECT_EQ(CountStarting(receiver->StatusTexts(), "Going on with \"big.bin\" from byte "),
                  changed ? 0 : 1)
            << testing::PrintToString(receiver->StatusTexts());
        EXPECT_EQ(receiver->Saw("\"big.bin\" changed since its transfer was cut; it goes again "
                                "whole"),
                  changed)
            << testing::PrintToString(receiver->StatusTexts());
        fs::remove_all(sshd.Root() + "/www");
    }
}

TEST_F(UploadWorkerTest, AFolderAnotherUploadMadeMeanwhileIsUsed) {
    FtpTestServer server({.quirks = {"mkdir-race"}});
    MakeSite();
    ASSERT_EQ(Upload(server, ""), UploadOutcome::Finished)
        << testing::PrintToString(boxes->Texts());
    ExpectServerHasSite(site.path(), server.Root());
}

}  // namespace
