#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
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

// A backend that notes the boxes it is given and gives one answer to all.
class NotingBackend : public MessageBoxBackend {
  public:
    NotingBackend(int answer, QuestionAnswerer answerer) : answer(answer), answerer(answerer) {}
    int Show(const std::string& text, unsigned flags) override {
        shown.emplace_back(text, flags);
        return answer;
    }
    QuestionAnswerer Answerer() const override { return answerer; }

    const int answer;
    const QuestionAnswerer answerer;
    std::vector<std::pair<std::string, unsigned>> shown;
};

TEST(MessageBox, GoesToTheInstalledBackendAndDeclinesWithoutOne) {
    const std::shared_ptr<MessageBoxBackend> previous = SetMessageBoxBackend(nullptr);
    // No backend: the text goes to standard error, the negative button answers, and no
    // one is there to answer.
    EXPECT_EQ(CurrentAnswerer(), QuestionAnswerer::NoOne);
    const struct {
        const char* text;
        unsigned flags;
        int answer;
    } unanswered[] = {
        {"Replace?", MB_YESNO | MB_ICONQUESTION, IDNO},
        {"Retry?", MB_RETRYCANCEL, IDCANCEL},
        {"Send?", MB_OKCANCEL, IDCANCEL},
        {"Done", MB_OK | MB_ICONSTOP, IDOK},
    };
    for (const auto& box : unanswered) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(ShowMessageBox(box.text, box.flags), box.answer) << box.text;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(box.text) + "\n");
    }

    const auto first = std::make_shared<NotingBackend>(IDRETRY, QuestionAnswerer::AlwaysYes);
    const auto second = std::make_shared<NotingBackend>(IDNO, QuestionAnswerer::User);
    EXPECT_EQ(SetMessageBoxBackend(first), nullptr);
    EXPECT_EQ(CurrentAnswerer(), QuestionAnswerer::AlwaysYes);
    EXPECT_EQ(ShowMessageBox("Try again?", MB_RETRYCANCEL | MB_ICONEXCLAMATION), IDRETRY);
    EXPECT_EQ(SetMessageBoxBackend(second), first);
    EXPECT_EQ(CurrentAnswerer(), QuestionAnswerer::User);
    EXPECT_EQ(ShowMessageBox("Go on?", MB_YESNO | MB_DEFBUTTON2), IDNO);
    using Shown = std::vector<std::pair<std::string, unsigned>>;
    EXPECT_EQ(first->shown, (Shown{{"Try again?", MB_RETRYCANCEL | MB_ICONEXCLAMATION}}));
    EXPECT_EQ(second->shown, (Shown{{"Go on?", MB_YESNO | MB_DEFBUTTON2}}));
    EXPECT_EQ(SetMessageBoxBackend(previous), second);
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
