#include "upload/ftp_connection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/ftp_test_server.h"
#include "support/test_support.h"
#include "work/stop_flag.h"

namespace {

class FtpConnectionTest : public ::testing::Test {
  protected:
    FtpConnectionTest() { CreateSession(); }
    ~FtpConnectionTest() override { DeleteSession(); }

    std::unique_ptr<FtpConnection> Connect(const FtpTestServer& target) {
        Expected<std::unique_ptr<FtpConnection>> connection = FtpConnection::Open(
            SharedSession(), target.Host(), FtpTestServer::kUser, FtpTestServer::kPassword);
        EXPECT_TRUE(connection.ok()) << connection.failure().text();
        return connection.ok() ? std::move(*connection) : nullptr;
    }

    static Result Send(FtpClient& connection, const std::string& name, const std::string& bytes,
                       std::size_t block) {
        std::unique_ptr<FtpRemoteFile> file;
        if (Result opened = connection.OpenFile(name, file); !opened.ok()) {
            return opened;
        }
        for (std::size_t at = 0; at < bytes.size(); at += block) {
            Result written = file->Write(bytes.data() + at, std::min(block, bytes.size() - at));
            if (!written.ok()) {
                return written;
            }
        }
        return file->Close();
    }

    static std::time_t ModificationTime(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
        return status.st_mtime;
    }
};

TEST_F(FtpConnectionTest, WorksWithFoldersAndFilesOnOneControlConnection) {
    FtpTestServer server;
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    std::string folder;
    ASSERT_TRUE(connection->GetCurrentDirectory(folder).ok());
    EXPECT_EQ(folder, "/");

    const Result missing = connection->SetCurrentDirectory("new folder");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.kind(), Result::Kind::Refused);
    EXPECT_EQ(missing.internetCode(), ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_EQ(missing.reason(), "550 No such file or directory.");

    ASSERT_TRUE(connection->CreateDirectory("new folder").ok());
    EXPECT_EQ(connection->CreateDirectory("new folder").kind(), Result::Kind::Refused);
    ASSERT_TRUE(connection->SetCurrentDirectory("new folder").ok());
    ASSERT_TRUE(connection->SetCurrentDirectory("").ok());
    ASSERT_TRUE(connection->GetCurrentDirectory(folder).ok());
    EXPECT_EQ(folder, "/new folder");

    std::string bytes(300 * 1000 + 7, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7919 % 251);
    }
    bytes[10] = '\r';
    bytes[11] = '\n';  // binary: no line-end translation
    const Result sent = Send(*connection, "a b#%.bin", bytes, 65536);
    ASSERT_TRUE(sent.ok()) << sent.text();
    const std::string stored = server.Root() + "/new folder/a b#%.bin";
    EXPECT_EQ(ReadFileBytes(stored), bytes);

    RemoteFileStatus status;
    bool found = false;
    ASSERT_TRUE(connection->FindFile("a b#%.bin", status, found).ok());
    ASSERT_TRUE(found);
    EXPECT_EQ(status.size, static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(status.lastWriteTime, ModificationTime(stored));
    SetModificationTime(stored, 1000000000);
    ASSERT_TRUE(connection->SetCurrentDirectory("/new folder").ok());
    ASSERT_TRUE(connection->FindFile("a b#%.bin", status, found).ok());
    ASSERT_TRUE(found) << "listed afresh";
    EXPECT_EQ(status.lastWriteTime, 1000000000);
    EXPECT_TRUE(connection->FindFile("missing.htm", status, found).ok());
    EXPECT_FALSE(found);
    ASSERT_TRUE(connection->SetCurrentDirectory("/").ok());
    EXPECT_TRUE(connection->FindFile("new folder", status, found).ok());
    EXPECT_FALSE(found) << "a folder is no file";

    // One thing at a time on the connection: a folder change waits for the open file.
    std::unique_ptr<FtpRemoteFile> open;
    ASSERT_TRUE(connection->OpenFile("open.txt", open).ok());
    ASSERT_TRUE(open->Write("part", 4).ok());
    EXPECT_FALSE(connection->SetCurrentDirectory("new folder").ok());
    std::unique_ptr<FtpRemoteFile> other;
    EXPECT_FALSE(connection->OpenFile("other.txt", other).ok());
    EXPECT_FALSE(other);
    ASSERT_TRUE(open->Close().ok());
    EXPECT_EQ(ReadFileBytes(server.Root() + "/open.txt"), "part");

    ASSERT_TRUE(Send(*connection, "empty.txt", "", 1024).ok());
    EXPECT_EQ(ReadFileBytes(server.Root() + "/empty.txt"), "");
    connection->Close();
    EXPECT_FALSE(connection->SetCurrentDirectory("new folder").ok());
    EXPECT_FALSE(connection->FindFile("empty.txt", status, found).ok()) << "cannot say";

    EXPECT_EQ(server.Count("USER"), 1) << "one login for everything";
    EXPECT_EQ(server.Count("QUIT"), 1);
}

TEST_F(FtpConnectionTest, FindsFilesWithSizeAndTimeWhereListingIsUnknown) {
    FtpTestServer server({.noMlst = true});
    WriteFileBytes(server.Root() + "/page.htm", "12345");
    SetModificationTime(server.Root() + "/page.htm", 1234567890);
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    RemoteFileStatus status;
    bool found = false;
    ASSERT_TRUE(connection->FindFile("page.htm", status, found).ok());
    ASSERT_TRUE(found);
    EXPECT_EQ(status.size, 5);
    EXPECT_EQ(status.lastWriteTime, 1234567890);
    EXPECT_TRUE(connection->FindFile("other.htm", status, found).ok());
    EXPECT_FALSE(found);
    EXPECT_EQ(server.Count("MLST"), 1) << "asked once, then not again";
    EXPECT_EQ(server.Count("SIZE"), 2);
}

TEST_F(FtpConnectionTest, SendsInActiveModeWhenPassiveIsRefused) {
    FtpTestServer server({.noPassive = true});
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    for (const auto& [name, bytes] : {std::pair{"one.txt", "first"}, {"two.txt", "second"}}) {
        const Result sent = Send(*connection, name, bytes, 2);
        ASSERT_TRUE(sent.ok()) << sent.text();
    }
    EXPECT_TRUE(connection->UsesActiveMode());
    EXPECT_EQ(ReadFileBytes(server.Root() + "/one.txt"), "first");
    EXPECT_EQ(ReadFileBytes(server.Root() + "/two.txt"), "second");
    EXPECT_EQ(server.Count("EPSV"), 1) << "passive tried once only";
    EXPECT_EQ(server.Count("USER"), 1);
}

TEST_F(FtpConnectionTest, LoginFailuresSayWhy) {
    FtpTestServer server;
    FtpTestServer full({.more = {"--max-logins", "1"}});
    const std::unique_ptr<FtpConnection> taken = Connect(full);  // the one client it takes
    FtpTestServer gone;
    const std::string closed = "127.0.0.1:" + std::to_string(gone.port);
    gone.Stop();
    const struct {
        const char* what;
        bool session;
        std::string host;
        const char* password;
        const char* said;  // where the text starts, or a part of it ("" for any text)
        bool atStart;
        bool loginRefused;  // so that a further try would only be refused again
    } rows[] = {
        {"a wrong password", true, server.Host(), "wrong", "530 ", true, true},
        {"a server that takes no more clients", true, full.Host(), FtpTestServer::kPassword, "421 ",
         true, false},
        {"no server", true, closed, FtpTestServer::kPassword, "onnect", false, false},
        {"a port out of range", true, "host:99999", "p", "1 to 65535", false, false},
        {"no Internet session", false, "127.0.0.1", "p", "", false, false},
    };
    for (const auto& row : rows) {
        const Expected<std::unique_ptr<FtpConnection>> opened = FtpConnection::Open(
            row.session ? SharedSession() : nullptr, row.host, FtpTestServer::kUser, row.password);
        ASSERT_FALSE(opened.ok()) << row.what;
        const std::string& text = opened.failure().text();
        const std::size_t at = text.find(row.said);
        EXPECT_TRUE(row.atStart ? at == 0 : at != std::string::npos) << row.what << ": " << text;
        EXPECT_FALSE(text.empty()) << row.what;
        EXPECT_EQ(opened.failure().kind() == Result::Kind::Refused, row.loginRefused)
            << row.what << ": " << text;
    }
}

TEST_F(FtpConnectionTest, ALostControlConnectionIsNotSilentlyReplaced) {
    FtpTestServer server;
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->CreateDirectory("sub").ok());
    ASSERT_TRUE(connection->SetCurrentDirectory("sub").ok());
    // The server hangs up, as one does on a connection left idle too long.
    EXPECT_EQ(connection->SetCurrentDirectory(FtpTestServer::kClosingFolder).text(),
              "421 Control connection timed out.");

    // A fresh login would be in the root folder, not in sub: nothing may be stored there.
    std::string folder;
    EXPECT_FALSE(connection->GetCurrentDirectory(folder).ok());
    std::unique_ptr<FtpRemoteFile> file;
    const Result opened = connection->OpenFile("page.htm", file);
    EXPECT_FALSE(file);
    EXPECT_EQ(opened.text(), "The connection to the FTP server was lost.");
    EXPECT_EQ(opened.kind(), Result::Kind::Network);
    EXPECT_FALSE(connection->SetCurrentDirectory("sub").ok());
    const std::vector<std::string> commands = server.Commands();
    EXPECT_EQ(server.Count("STOR"), 0) << testing::PrintToString(commands);
    EXPECT_EQ(commands.back(), "PWD") << "only the login of the new connection";
}

TEST_F(FtpConnectionTest, AServerThatDiesDuringAFileFailsTheWriteOrTheClose) {
    FtpTestServer server({.throttle = 256 * 1024});
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    std::unique_ptr<FtpRemoteFile> file;
    ASSERT_TRUE(connection->OpenFile("big.bin", file).ok());
    const std::string block(65536, 'x');
    ASSERT_TRUE(file->Write(block.data(), block.size()).ok());
    server.Stop();
    Result written = Result::Ok();
    for (int i = 0; i < 1000 && written.ok(); ++i) {
        written = file->Write(block.data(), block.size());
    }
    if (written.ok()) {
        written = file->Close();
    }
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(written.text().empty());
    EXPECT_EQ(written.kind(), Result::Kind::Network);
    EXPECT_FALSE(file->Close().ok());
}

TEST_F(FtpConnectionTest, AStopDuringAFileIsToldApartFromALostConnection) {
    FtpTestServer server({.throttle = 256 * 1024});
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    StopFlag stop;
    connection->SetStopFlag(&stop);
    std::unique_ptr<FtpRemoteFile> file;
    ASSERT_TRUE(connection->OpenFile("big.bin", file).ok());
    const std::string block(65536, 'x');
    ASSERT_TRUE(file->Write(block.data(), block.size()).ok());
    stop.Request();
    Result written = Result::Ok();
    for (int i = 0; i < 1000 && written.ok(); ++i) {
        written = file->Write(block.data(), block.size());
    }
    if (written.ok()) {
        written = file->Close();
    }
    EXPECT_EQ(written.kind(), Result::Kind::Stopped);
    EXPECT_EQ(written.text(), "The upload was stopped.");
}

TEST_F(FtpConnectionTest, AListingThatTricklesInOrNeverEndsFails) {
    FtpTestServer server({.quirks = {"slow-mlsd", "endless-mlsd"}});
    ASSERT_EQ(::mkdir((server.Root() + "/slow").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((server.Root() + "/endless").c_str(), 0755), 0);
    const ListingLimits limits{.entries = 1000, .bytes = 1 << 20, .slowSeconds = 2};
    struct Case {
        const char* folder;
        const char* failure;
    };
    const Case cases[] = {
        {"slow",
         "The server sent the listing too slowly (less than 1,024 bytes a second for 2 "
         "seconds)."},
        {"endless", "The listing is longer than Mavren reads (more than 1,000 entries or 1 MB)."},
    };
    for (const Case& c : cases) {
        auto connection = Connect(server);
        ASSERT_TRUE(connection);
        connection->SetListingLimits(limits);
        ASSERT_TRUE(connection->SetCurrentDirectory(c.folder).ok());
        std::vector<RemoteEntry> entries;
        const Result listed = connection->ListFolder(entries);
        EXPECT_FALSE(listed.ok());
        EXPECT_EQ(listed.text(), c.failure);
        EXPECT_TRUE(entries.empty());
    }
}

}  // namespace
