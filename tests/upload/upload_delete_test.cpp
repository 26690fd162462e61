// The deletion of an upload on its own, against a server in memory: above the limit it
// deletes nothing and counts what it left, a dry run counts what it would delete, and a
// server that named another folder deletes nothing.

#include "upload/upload_delete.h"

#include <gtest/gtest.h>

#include <string>

#include "upload/upload_rooms.h"

namespace {

TEST(UploadDeletion, TheLimitADryRunAndADoubtfulServerEachDeleteNothing) {
    struct Case {
        bool dryRun;
        std::string doubt;
        UploadOutcome outcome;
        std::int64_t notDeleted;
        std::string summary;
    };
    const Case cases[] = {
        {false, "", UploadOutcome::Finished, 2, ""},
        {true, "", UploadOutcome::Finished, 0, "; 2 files and 1 folder would not be deleted"},
        {false, "said it is in \"/elsewhere\"", UploadOutcome::Failed, 0, ""},
    };
    for (const Case& c : cases) {
        UploadRoom room;
        room.job.dryRun = c.dryRun;
        room.job.deleteExtra = true;
        room.job.deleteLimit = {DeleteLimit::Kind::AtMost, 1};
        WriteFileBytes(room.site / "index.htm", "page");
        room.server->folders.insert("/www/old");
        room.server->files["/www/index.htm"] = {"page", 1, true};
        room.server->files["/www/gone.htm"] = {"x", 1, true};
        room.server->files["/www/old/gone.jpg"] = {"x", 1, true};
        FakeFtp connection(room.server);
        upload_run::UploadDeletion deletion(room.job, room.messages, MirrorScope{"/www", {}},
                                            c.doubt);

        EXPECT_EQ(deletion.Run(connection, WalkLocalSite(room.site.path())), c.outcome) << c.doubt;

        EXPECT_EQ(room.server->files.size(), 3u) << c.dryRun << c.doubt;
        EXPECT_EQ(deletion.Counts().filesNotDeleted, c.notDeleted) << c.dryRun << c.doubt;
        EXPECT_EQ(upload_run::WouldBeDeletedText(deletion.Counts()), c.summary) << c.dryRun;
    }
}

}  // namespace
