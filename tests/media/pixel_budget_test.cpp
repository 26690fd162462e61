#include "media/pixel_budget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Polls until what() holds, for at most ten seconds: a stand-in for a thread's progress.
template <typename What>
bool Eventually(What&& what) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!what()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

TEST(PixelBudget, HoldsWhatIsTakenUntilTheShareGoesOnceOnly) {
    const struct {
        std::vector<std::size_t> takes;
        std::size_t held;  // after all of them, of a budget of 100
    } cases[] = {
        {{}, 0},       {{30, 50}, 80},
        {{100}, 100},  {{250}, 100},  // more than the whole: all of it, else it would wait forever
        {{0, 20}, 20},
    };
    for (const auto& c : cases) {
        PixelBudget budget(100);
        {
            std::vector<PixelBudget::Share> shares;
            for (const std::size_t bytes : c.takes) {
                shares.push_back(budget.Take(bytes));
            }
            EXPECT_EQ(budget.Held(), c.held);
            // Moved shares give back once, when the last holder goes.
            std::vector<PixelBudget::Share> moved = std::move(shares);
            PixelBudget::Share reassigned;
            if (!moved.empty()) {
                reassigned = std::move(moved.back());
                moved.pop_back();
            }
            EXPECT_EQ(budget.Held(), c.held);
        }
        EXPECT_EQ(budget.Held(), 0u);
    }
}

TEST(PixelBudget, ATakerWaitsUntilEnoughIsGivenBack) {
    PixelBudget budget(100);
    auto first = budget.Take(60);
    bool taken = false;
    std::thread second([&] {
        const PixelBudget::Share share = budget.Take(60);
        taken = true;
    });
    ASSERT_TRUE(Eventually([&] { return budget.Waiting() == 1; }));
    EXPECT_EQ(budget.Held(), 60u);
    first = PixelBudget::Share();
    second.join();
    EXPECT_TRUE(taken);
    EXPECT_EQ(budget.Held(), 0u);
}

}  // namespace
