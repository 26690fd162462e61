#include "generate/thumbnail_queue.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"
#include "work/worker_messages.h"

namespace fs = std::filesystem;

namespace {

class ThumbnailQueueTest : public ::testing::Test {
  protected:
    ThumbnailQueue::Job Job(const std::string& example, const std::string& name) {
        return {MAVREN_SOURCE_DIR "/examples/photos/" + example, dir / name, 120, false};
    }

    TempDir dir;
};

TEST_F(ThumbnailQueueTest, QueuedAndInlineJobsGiveTheSameSizes) {
    ThumbnailQueue queue(3);
    queue.Add(0, Job("Fjord.jpg", "0.jpg"));
    queue.Add(2, Job("Pebbles.png", "2.png"));
    int width = -1;
    int height = -1;
    queue.Make(2, Job("Pebbles.png", "2.png"), width, height);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 90);
    queue.Make(1, Job("Meadow.jpg", "1.jpg"), width, height);  // never queued: made now
    EXPECT_EQ(width, 80);
    EXPECT_EQ(height, 120);
    queue.Make(0, Job("Fjord.jpg", "0.jpg"), width, height);
    EXPECT_EQ(width, 90);
    EXPECT_EQ(height, 120);
    for (const char* name : {"0.jpg", "1.jpg", "2.png"}) {
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
}

TEST_F(ThumbnailQueueTest, NoThumbnailLeavesTheSizeUntouched) {
    ThumbnailQueue queue(2);
    WriteFileBytes(dir / "bad.jpg", "not a picture");
    queue.Add(0, {dir / "bad.jpg", dir / "TN_bad.jpg", 120, false});
    int width = -7;
    int height = -7;
    queue.Make(0, {dir / "bad.jpg", dir / "TN_bad.jpg", 120, false}, width, height);
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);
    EXPECT_FALSE(fs::exists(dir / "TN_bad.jpg"));
}

TEST_F(ThumbnailQueueTest, AStopKeepsThePoolFromStartingJobsButNotTheOneAskedFor) {
    StopFlag stop;
    stop.Request();
    ThumbnailQueue queue(4, &stop);
    for (int i = 0; i < 8; ++i) {
        queue.Add(i, Job("Glacier.jpg", std::to_string(i) + ".jpg"));
    }
    int width = 0;
    int height = 0;
    queue.Make(5, Job("Glacier.jpg", "5.jpg"), width, height);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 90);
    queue.Cancel();
    EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "5.jpg");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// The run collects every record's pictures before the index pages ask for its thumbnail.
TEST_F(ThumbnailQueueTest, ARecordAskedForAgainIsNotMadeAgain) {
    for (int threads : {1, 3}) {
        ThumbnailQueue queue(threads);
        queue.Add(0, Job("Fjord.jpg", "0.jpg"));
        const PictureSet& first = queue.Pictures(0, Job("Fjord.jpg", "0.jpg"));
        EXPECT_EQ(first.thumbnail.kind, ThumbnailOutcome::Kind::Made);
        fs::remove(dir / "0.jpg");
        int width = 0;
        int height = 0;
        ThumbnailOutcome outcome;
        queue.Make(0, Job("Fjord.jpg", "0.jpg"), width, height, &outcome);
        EXPECT_EQ(width, 90) << threads;
        EXPECT_EQ(height, 120) << threads;
        EXPECT_EQ(outcome.kind, ThumbnailOutcome::Kind::Made) << threads;
        EXPECT_FALSE(fs::exists(dir / "0.jpg")) << threads;
    }
}

}  // namespace
