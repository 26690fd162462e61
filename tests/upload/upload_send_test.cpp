// The sending of an upload on its own, against a server in memory: a file whose
// connection is lost goes again on a fresh one (not once the server refused its login), a
// file the server refuses leaves the others to go, and only what the server kept whole is
// kept for the record.

#include "upload/upload_send.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "upload/upload_rooms.h"

namespace {

TEST(UploadSending, ALostFileGoesAgainOnAFreshConnectionAndARefusedOneLeavesTheOthers) {
    UploadRoom room;
    WriteFileBytes(room.site / "refused.htm", "no");
    WriteFileBytes(room.site / "lost.htm", "sent at last");
    room.server->unopenable.insert("refused.htm");
    room.server->loseWrites = 1;
    room.tally.Start(2, 14);
    const FtpConnector connect = ConnectTo(room.server);
    std::unique_ptr<FtpClient> first = std::make_unique<FakeFtp>(room.server);
    upload_run::UploadSending sending(room.job, connect, room.messages, room.tally, room.kept,
                                      "/www");

    EXPECT_EQ(sending.SendAll({{"refused.htm", 2}, {"lost.htm", 12}}, first),
              UploadOutcome::Finished);

    ASSERT_NE(first, nullptr);  // the first connection is given back
    EXPECT_EQ(room.server->files["/www/lost.htm"].bytes, "sent at last");
    EXPECT_EQ(room.server->connections, 2);
    const std::vector<std::string> statuses = room.receiver->StatusTexts();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(),
                        "Trying \"lost.htm\" again (1 of 3) in 1 second: Connection lost."),
              statuses.end());
    EXPECT_EQ(room.boxes->Texts(),
              (std::vector<std::string>{
                  "Failed to open FTP file \"refused.htm\":\n\n553 Could not create file."}));
    EXPECT_EQ(room.kept.Files().size(), 1u);
    EXPECT_EQ(room.kept.Files().count("lost.htm"), 1u);
    EXPECT_EQ(room.tally.failedFiles(), 1);
}

// A fresh connection whose login the server refused ends the file's tries at once, whatever
// the refusal's words; any other failure to connect is tried again.
TEST(UploadSending, ARefusedLoginEndsTheTriesAndAFailedConnectionDoesNot) {
    const struct {
        const char* what;
        Result failure;
        int connects;
        std::string box;
    } rows[] = {
        {"a refused login",
         Result::Failure("The server refused the login: wrong user name or password.",
                         Result::Kind::Refused),
         1,
         "Failed to open FTP connection to \"ftp.example.com\"\n\nReason: The server refused the "
         "login: wrong user name or password."},
        {"a failed connection", Result::Failure("530 Login incorrect.", Result::Kind::Network),
         upload_run::kRetries, "Failed to write FTP file \"lost.htm\":\n\n530 Login incorrect."},
    };
    for (const auto& row : rows) {
        UploadRoom room;
        WriteFileBytes(room.site / "lost.htm", "never sent");
        room.server->loseWrites = 1;
        room.tally.Start(1, 10);
        int connects = 0;
        const FtpConnector connect = [&](const UploadJob&) -> Expected<std::unique_ptr<FtpClient>> {
            ++connects;
            return row.failure;
        };
        std::unique_ptr<FtpClient> first = std::make_unique<FakeFtp>(room.server);
        upload_run::UploadSending sending(room.job, connect, room.messages, room.tally, room.kept,
                                          "/www");

        EXPECT_EQ(sending.SendAll({{"lost.htm", 10}}, first), UploadOutcome::Failed) << row.what;
        EXPECT_EQ(connects, row.connects) << row.what;
        EXPECT_EQ(room.boxes->Texts(), std::vector<std::string>{row.box}) << row.what;
    }
}

}  // namespace
