#include "work/progress_tracker.h"

#include <gtest/gtest.h>

namespace {

// A tracker whose clock the test sets.
class SteppedTracker : public ProgressTracker {
  public:
    std::time_t now = 1000;

  protected:
    std::time_t Now() const override { return now; }
};

TEST(ProgressTracker, RemainingText) {
    struct Case {
        int elapsed;
        long long done;
        long long total;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 1000, "calculating remaining time"},
        {0, 500, 1000, "calculating remaining time"},
        {5, 0, 1000, "calculating remaining time"},
        {10, 250, 1000, "30 seconds remaining"},
        {10, 100, 1000, "1 minute remaining"},
        {1, 1, 1000, "16 minutes remaining"},
        {1, 1, 2, "1 second remaining"},
        {60, 1, 2, "60 seconds remaining"},
        {61, 1, 2, "1 minute remaining"},
        {120, 1, 2, "2 minutes remaining"},
        {10, 1000, 1000, "0 seconds remaining"},
        {10, 1200, 1000, "0 seconds remaining"},
        // Past 2 GB: a folder of a few hundred photos.
        {100, 4'000'000'000LL, 8'000'000'000LL, "1 minute remaining"},
    };
    for (const Case& c : cases) {
        SteppedTracker tracker;
        tracker.Start("byte", c.total);
        tracker.Advance(c.done);
        tracker.now += c.elapsed;
        EXPECT_EQ(tracker.RemainingText(), c.text)
            << c.elapsed << " s, " << c.done << " of " << c.total;
    }
}

TEST(ProgressTracker, DoneText) {
    SteppedTracker tracker;
    tracker.Start("byte", 10000);
    tracker.Advance(1);
    tracker.now += 1;
    EXPECT_EQ(tracker.DoneText(), "1 byte in 1 second");
    tracker.Advance(5299);
    tracker.now += 11;
    EXPECT_EQ(tracker.DoneText(), "5,300 bytes in 12 seconds");
    tracker.Start("byte", 0);
    EXPECT_EQ(tracker.DoneText(), "0 bytes in 0 seconds");
}

}  // namespace
