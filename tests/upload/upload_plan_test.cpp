// The dry run's plan, grouped by album folder.

#include "upload/upload_plan.h"

#include <gtest/gtest.h>

namespace {

TEST(UploadPlan, PicturesAndFolderEntriesCountWithTheirAlbum) {
    const struct {
        std::string path, folder;
    } cases[] = {
        {"Thumbs/2x/", ""},
        {"2024/Trip to Rome/Web/Small/a.jpg", "2024/Trip to Rome"},
        {"Zürich/Web", "Zürich"},  // a file named so, in the album
        {"Webcam/Thumbsup/a.jpg", "Webcam/Thumbsup"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanFolder(c.path), c.folder) << c.path;
    }
}

TEST(UploadPlan, GroupsTheTopFolderFirstThenTheAlbumsByPath) {
    using A = UploadAction;
    const struct {
        std::vector<PlannedAction> actions;
        std::string text;
    } cases[] = {
        {{}, ""},
        // A site without subfolders: one group.
        {{{A::Skip, "keys"}, {A::Send, "a.htm", 1}, {A::Delete, "old.htm"}},
         "folder  (top folder): 1 file (1 byte) to send, 1 to delete\n"
         "skip    keys\nsend    a.htm\ndelete  old.htm\n"},
        {{{A::Send, "2024/b/INDEX000.HTM", 1000},
          {A::Send, "2024/b/Web/a.jpg", 2500},
          {A::Skip, "2024/B2/INDEX000.HTM"},
          {A::Send, "INDEX000.HTM", 10},
          {A::Skip, "Thumbs/TN_a.jpg"},
          {A::Delete, "2023/old/Thumbs/TN_x.jpg"},
          {A::Delete, "2023/old/Thumbs/"},
          {A::Delete, "2023/old/"},
          {A::Delete, "2023/"}},
         "folder  (top folder): 1 file (10 bytes) to send\n"
         "send    INDEX000.HTM\nskip    Thumbs/TN_a.jpg\n\n"
         "folder  2023: 1 to delete\ndelete  2023/\n\n"
         "folder  2023/old: 3 to delete\n"
         "delete  2023/old/Thumbs/TN_x.jpg\ndelete  2023/old/Thumbs/\ndelete  2023/old/\n\n"
         "folder  2024/b: 2 files (3,500 bytes) to send\n"
         "send    2024/b/INDEX000.HTM\nsend    2024/b/Web/a.jpg\n\n"
         "folder  2024/B2: nothing to send or delete\nskip    2024/B2/INDEX000.HTM\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanText(c.actions), c.text);
    }
}

// What only-the-site leaves out is listed last, a screenful at most.
TEST(UploadPlan, FilesLeftOutComeLastAsAShortList) {
    const auto leftOut = [](int count) {
        std::vector<PlannedAction> actions = {{UploadAction::Send, "INDEX000.HTM", 1}};
        for (int i = 0; i < count; ++i) {
            actions.push_back({UploadAction::LeaveOut, "private/" + std::to_string(100 + i)});
        }
        return PlanText(actions);
    };
    const std::string top =
        "folder  (top folder): 1 file (1 byte) to send\nsend    INDEX000.HTM\n\n";
    std::string twentyOne;
    for (int i = 0; i < 21; ++i) {
        twentyOne += "  private/" + std::to_string(100 + i) + "\n";
    }
    const struct {
        int count;
        std::string text;
    } cases[] = {
        {1, top + "Left out (not part of the site): 1 file\n  private/100\n"},
        {21, top + "Left out (not part of the site): 21 files\n" + twentyOne},
        {1022, top + "Left out (not part of the site): 1,022 files\n" +
                   twentyOne.substr(0, twentyOne.size() - 14) + "  and 1,002 more\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leftOut(c.count), c.text) << c.count;
    }
    EXPECT_EQ(PlanText({{UploadAction::LeaveOut, "a.pdf"}}),
              "Left out (not part of the site): 1 file\n  a.pdf\n");
}

}  // namespace
