#include "work/progress_pacing.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

TEST(ProgressPacing, PercentDoneTruncatesWithinZeroToHundred) {
    constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
    struct Case {
        std::int64_t done;
        std::int64_t total;
        int expected;
    } cases[] = {
        {0, 10, 0},
        {1, 3, 33},
        {2, 3, 66},
        {99, 100, 99},
        {10, 10, 100},
        {29, 50, 58},
        {29, 100, 29},
        {57, 100, 57},
        {0, 0, 100},
        {5, 0, 100},
        {3, -1, 100},
        {15, 10, 100},
        {-1, 10, 0},
        {kHuge, kHuge, 100},
        {kHuge / 2, kHuge, 50},
        {3'000'000'000, 6'000'000'000, 50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PercentDone(c.done, c.total), c.expected) << c.done << " of " << c.total;
    }
}

TEST(ProgressPacing, AtMostOneStatusLineASecond) {
    using std::chrono::milliseconds;
    struct Case {
        bool held;               // Hold at 0 ms before the first question
        std::vector<int> asked;  // the times asked, in ms
        std::vector<bool> due;
    } cases[] = {
        {false,
         {0, 500, 999, 1000, 1500, 2100, 3099, 3100},
         {true, false, false, true, false, true, false, true}},
        {true, {0, 999, 1000, 1999, 2000}, {false, false, true, false, true}},
    };
    const StatusPacer::Clock::time_point start{};
    for (const Case& c : cases) {
        StatusPacer pacer;
        if (c.held) {
            pacer.Hold(start);
        }
        for (std::size_t i = 0; i < c.asked.size(); ++i) {
            EXPECT_EQ(pacer.Due(start + milliseconds(c.asked[i])), c.due[i])
                << "held " << c.held << ", at " << c.asked[i] << " ms";
        }
    }
}

}  // namespace
