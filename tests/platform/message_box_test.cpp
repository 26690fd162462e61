#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {

TEST(MessageBoxText, FormatsAndCutsAnOverlongTextToIts1024FirstCharacters) {
    EXPECT_EQ(MessageBoxText("%d files in %s", 3, "/site"), "3 files in /site");
    const std::string fits(10239, 'a');
    EXPECT_EQ(MessageBoxText("%s", fits.c_str()), fits);
    const std::string tooLong = std::string(1024, 'b') + std::string(9216, 'c');
    EXPECT_EQ(MessageBoxText("%s", tooLong.c_str()), std::string(1024, 'b'));
}

TEST(ScriptedMessageBox, AnswersQuestionsInOrderAndCountsUnscriptedOnes) {
    ScopedScriptedBoxes boxes;
    boxes->QueueAnswer(IDYES);
    EXPECT_EQ(ShowMessageBox("note", MB_OK | MB_ICONSTOP), IDOK) << "OK boxes take no answer";
    EXPECT_EQ(ShowMessageBox("q1", MB_YESNO), IDYES);
    EXPECT_EQ(ShowMessageBox("q2", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("q3", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(boxes->UnscriptedCount(), 2);
    EXPECT_EQ(boxes->Texts(), (std::vector<std::string>{"note", "q1", "q2", "q3"}));
}

TEST(ScriptedMessageBox, WorksFromSeveralThreadsAtOnce) {
    ScopedScriptedBoxes boxes;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i) {
                ShowMessageBox("x", MB_OK);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(boxes->Boxes().size(), 400u);
}

TEST(MessageBox, PositiveAndNegativeAnswersFollowTheButtons) {
    EXPECT_EQ(PositiveAnswer(MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(NegativeAnswer(MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(PositiveAnswer(MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(NegativeAnswer(MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(PositiveAnswer(MB_OK), IDOK);
    EXPECT_EQ(NegativeAnswer(MB_OK), IDOK);
    EXPECT_EQ(NegativeAnswer(MB_OKCANCEL), IDCANCEL);
}

}  // namespace
