// The one line that ends a run.

#include "generate/generation_summary.h"

#include <gtest/gtest.h>

namespace {

TEST(SummaryLine, NamesThePhotosMovedToTheTrashOnlyWhenThereAreAny) {
    const struct {
        int removed;
        int trashed;
        const char* line;
    } cases[] = {
        {0, 0,
         "3 pages written, 2 thumbnails made, 1 kept, 0 files removed, 0 pictures without a "
         "thumbnail, 1.5 seconds"},
        {4, 1,
         "3 pages written, 2 thumbnails made, 1 kept, 4 files removed (1 photo moved to the "
         "trash), 0 pictures without a thumbnail, 1.5 seconds"},
        {4, 2,
         "3 pages written, 2 thumbnails made, 1 kept, 4 files removed (2 photos moved to the "
         "trash), 0 pictures without a thumbnail, 1.5 seconds"},
    };
    for (const auto& row : cases) {
        GenerationSummary summary;
        summary.indexPages = 1;
        summary.contentPages = 2;
        summary.thumbnailsMade = 2;
        summary.thumbnailsKept = 1;
        summary.filesRemoved = row.removed;
        summary.photosTrashed = row.trashed;
        summary.seconds = 1.5;
        EXPECT_EQ(SummaryLine(summary), row.line);
    }
}

TEST(SummaryLine, PagesLeftAsTheyWereAreNotCountedAsWritten) {
    const std::pair<int, const char*> cases[] = {
        {0, "3 pages written, 0 thumbnails made"},
        {2, "1 page written, 2 unchanged, 0 thumbnails made"},
        {3, "0 pages written, 3 unchanged, 0 thumbnails made"},
    };
    for (const auto& [unchanged, start] : cases) {
        GenerationSummary summary;
        summary.indexPages = 1;
        summary.contentPages = 2;
        summary.pagesUnchanged = unchanged;
        EXPECT_EQ(SummaryLine(summary).rfind(start, 0), 0u) << SummaryLine(summary);
    }
}

TEST(SummaryLine, CountsVideosOnlyInASiteWithVideos) {
    const struct {
        int made;
        int kept;
        std::vector<std::string> unreadable;
        const char* line;
    } cases[] = {
        {0,
         0,
         {},
         "0 thumbnails made, 0 kept, 0 files removed, 0 pictures without a thumbnail, 1.0 seconds"},
        {1,
         2,
         {},
         "0 thumbnails made, 0 kept, 1 video made, 2 kept, 0 files removed, 0 pictures without a "
         "thumbnail, 1.0 seconds"},
        {2,
         0,
         {"a.mov"},
         "0 thumbnails made, 0 kept, 2 videos made, 0 kept, 0 files removed, 0 pictures without a "
         "thumbnail, 1.0 seconds. 1 video could not be read: a.mov"},
        {0,
         0,
         {"a", "b", "c", "d", "e"},
         "0 thumbnails made, 0 kept, 0 files removed, 0 pictures without a thumbnail, 1.0 seconds. "
         "5 videos could not be read: a, b, c and 2 more"},
    };
    for (const auto& row : cases) {
        GenerationSummary summary;
        summary.videosMade = row.made;
        summary.videosKept = row.kept;
        summary.unreadableVideos = row.unreadable;
        summary.seconds = 1;
        EXPECT_EQ(SummaryLine(summary), std::string("0 pages written, ") + row.line);
    }
}

}  // namespace
