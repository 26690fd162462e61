#include "work/worker_messages.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/recording_receiver.h"
#include "support/test_support.h"

namespace {

TEST(WorkerMessages, PostsArriveInOrderWithTheirTexts) {
    auto receiver = std::make_shared<RecordingReceiver>();
    std::shared_ptr<WorkerMessageReceiver> window = receiver;
    std::thread worker([window] {
        PostStatusText(window, "");
        PostStatusText(window, "first");
        PostErrorText(window, "broken", MB_OK | MB_ICONSTOP);
        PostProgress(window, 42);
        PostTimingText(window, "9 bytes in 1 second");
        PostWorkDone(window);
    });
    worker.join();
    const auto messages = receiver->Messages();
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0].message, WM_APP_STATUS_TEXT);
    EXPECT_EQ(messages[0].text, "") << "an empty status is still posted";
    EXPECT_EQ(messages[1].text, "first");
    EXPECT_EQ(messages[2].message, WM_APP_ERROR_TEXT);
    EXPECT_EQ(messages[2].text, "broken");
    EXPECT_EQ(messages[2].wParam, static_cast<int>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(messages[3].message, WM_APP_PROGRESS);
    EXPECT_EQ(messages[3].wParam, 42);
    EXPECT_EQ(messages[4].message, WM_APP_TIMING_TEXT);
    EXPECT_EQ(messages[4].text, "9 bytes in 1 second");
    EXPECT_EQ(messages[5].message, WM_APP_WORK_DONE);
}

TEST(WorkerMessages, NoWindowDropsPostsButShowsFailuresInABox) {
    ScopedScriptedBoxes boxes;
    PostStatusText(nullptr, "into nothing");
    PostErrorText(nullptr, "broken", MB_OK | MB_ICONSTOP);
    PostProgress(nullptr, 1);
    PostWorkDone(nullptr);
    ASSERT_EQ(boxes->Boxes().size(), 1u);
    EXPECT_EQ(boxes->Boxes()[0].text, "broken");
    EXPECT_EQ(boxes->Boxes()[0].flags, MB_OK | MB_ICONSTOP);
}

}  // namespace
