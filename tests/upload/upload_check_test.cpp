// The check of an upload on its own, against a server in memory: what it keeps for the
// record, what it finds to send, and the folders it makes (none in a dry run).

#include "upload/upload_check.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "upload/upload_rooms.h"

namespace {

std::vector<std::string> Paths(const std::vector<upload_run::Outgoing>& files) {
    std::vector<std::string> paths;
    for (const upload_run::Outgoing& file : files) {
        paths.push_back(file.path);
    }
    return paths;
}

TEST(UploadCheck, KeepsWhatTheServerHasAndFindsTheRestMakingTheMissingFolders) {
    UploadRoom room;
    WriteFileBytes(room.site / "same.htm", "same");
    SetModificationTime(room.site / "same.htm", 1000);
    WriteFileBytes(room.site / "changed.htm", "new page");
    WriteFileBytes(room.site / "sub/deep/new.jpg", "jpeg");
    room.server->files["/www/same.htm"] = {"same", 2000, true};
    room.server->files["/www/changed.htm"] = {"old", 2000, true};
    FakeFtp connection(room.server);
    upload_run::UploadCheck check(room.job, room.messages, room.tally, room.kept);

    ASSERT_TRUE(check.FindRemoteRoot(connection));
    ASSERT_TRUE(check.OpenRemoteFolder(connection, nullptr));
    for (const char* path : {"changed.htm", "same.htm", "sub/deep/new.jpg"}) {
        ASSERT_TRUE(check.CheckFile(connection, path, 4)) << path;
    }

    EXPECT_EQ(Paths(check.Found()), (std::vector<std::string>{"changed.htm", "sub/deep/new.jpg"}));
    EXPECT_TRUE(check.Found()[0].existed);
    EXPECT_FALSE(check.Found()[1].existed);
    EXPECT_EQ(room.kept.Files().count("same.htm"), 1u);
    EXPECT_EQ(room.kept.Files().size(), 1u);
    EXPECT_EQ(check.MadeFolders(), (std::set<std::string>{"sub", "sub/deep"}));
    EXPECT_EQ(room.server->folders.count("/www/sub/deep"), 1u);
    EXPECT_TRUE(check.FolderDoubt().empty());
}

TEST(UploadCheck, ADryRunIntoAMissingFolderMakesNothingAndReportsEveryFile) {
    UploadRoom room;
    room.job.dryRun = true;
    room.job.remoteFolder = "/www/new";
    WriteFileBytes(room.site / "a.htm", "a");
    WriteFileBytes(room.site / "sub/b.htm", "b");
    FakeFtp connection(room.server);
    upload_run::UploadCheck check(room.job, room.messages, room.tally, room.kept);

    ASSERT_TRUE(check.FindRemoteRoot(connection));
    ASSERT_TRUE(check.OpenRemoteFolder(connection, nullptr));
    EXPECT_TRUE(check.RootMissing());
    for (const char* path : {"a.htm", "sub/b.htm"}) {
        ASSERT_TRUE(check.CheckFile(connection, path, 1)) << path;
    }

    EXPECT_EQ(room.reports, (std::vector<std::string>{"send a.htm", "send sub/b.htm"}));
    EXPECT_TRUE(check.Found().empty());
    EXPECT_EQ(room.server->folders, (std::set<std::string>{"/", "/www"}));
    for (const std::string& command : room.server->log) {
        EXPECT_NE(command.rfind("MKD ", 0), 0u) << command;
    }
}

}  // namespace
