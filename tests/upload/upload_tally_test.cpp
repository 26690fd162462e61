#include "upload/upload_tally.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A tracker whose clock stands still, so the texts do not depend on the test's speed.
class StillTracker : public ProgressTracker {
  protected:
    std::time_t Now() const override { return 1000; }
};

// A site of three files of 100 bytes each; the steps are what the sending threads count.
TEST(UploadTally, CountsAndTexts) {
    struct Case {
        const char* name;
        bool dryRun;
        std::function<UploadShown(UploadTally&)> steps;
        int percent;
        const char* timing;
        const char* summary;
    };
    const Case cases[] = {
        {"one unchanged, one sent", false,
         [](UploadTally& tally) {
             tally.CountFile(100, FileEnd::Unchanged);
             tally.CountBytes(100);
             return tally.CountFile(100, FileEnd::Sent);
         },
         66, "1 file (100 bytes) left - 100 bytes in 0 seconds - calculating remaining time",
         "100 bytes in 0 seconds; 1 file unchanged"},
        // A file the server kept otherwise goes again: its first count is taken back.
        {"sent, taken back, sent again", false,
         [](UploadTally& tally) {
             tally.CountBytes(100);
             tally.CountFile(100, FileEnd::Sent);
             tally.Uncount(100);
             tally.CountBytes(100);
             return tally.CountFile(100, FileEnd::Sent);
         },
         33, "2 files (200 bytes) left - 200 bytes in 0 seconds - calculating remaining time",
         "200 bytes in 0 seconds"},
        // A lost connection takes back the bytes that went; the file then failed.
        {"bytes taken back, then failed", false,
         [](UploadTally& tally) {
             tally.CountBytes(60);
             tally.CountBytes(-60);
             return tally.CountFile(100, FileEnd::Failed);
         },
         33, "2 files (200 bytes) left - 0 bytes in 0 seconds - calculating remaining time",
         "0 bytes in 0 seconds; 1 file could not be sent"},
        {"a file grown since it was summed, passed over", false,
         [](UploadTally& tally) {
             tally.Resize(100, 400);
             return tally.CountFile(400, FileEnd::Passed);
         },
         66, "2 files (200 bytes) left - 0 bytes in 0 seconds - calculating remaining time",
         "0 bytes sent"},
        // A dry run counts no bytes on their way: what would be sent is the tracker's total.
        {"dry run", true,
         [](UploadTally& tally) {
             tally.CountFile(100, FileEnd::Unchanged);
             tally.CountFile(100, FileEnd::Sent);
             return tally.CountFile(100, FileEnd::Sent);
         },
         100, "0 bytes in 0 seconds - calculating remaining time",
         "2 files (200 bytes) would be sent; 1 file unchanged"},
    };
    for (const Case& c : cases) {
        UploadTally tally(c.dryRun, std::make_unique<StillTracker>());
        tally.Start(3, 300);
        const UploadShown shown = c.steps(tally);
        EXPECT_EQ(shown.percent, c.percent) << c.name;
        EXPECT_EQ(shown.timing, c.timing) << c.name;
        UploadSummaryFacts facts;
        facts.dryRun = c.dryRun;
        EXPECT_EQ(tally.SummaryText(facts), c.summary) << c.name;
    }
}

}  // namespace
