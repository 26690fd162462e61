#include "cli/terminal_message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs one box through a terminal backend whose input is a temporary file.
struct TerminalRun {
    int answer;
    std::string printed;
};

TerminalRun RunTerminal(AnswerPolicy policy, const std::string& input, unsigned flags,
                        const std::string& text = "Do it?") {
    std::FILE* in = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fputs(input.c_str(), in);
    std::rewind(in);
    TerminalMessageBox terminal(policy, in, err);
    TerminalRun run{terminal.Show(text, flags), {}};
    std::rewind(err);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, err) != nullptr) {
        run.printed += buffer;
    }
    std::fclose(in);
    std::fclose(err);
    return run;
}

TEST(TerminalMessageBox, AnswersByPolicyWithoutATerminal) {
    EXPECT_EQ(RunTerminal(AnswerPolicy::AlwaysYes, "", MB_YESNO).answer, IDYES);
    EXPECT_EQ(RunTerminal(AnswerPolicy::AlwaysYes, "", MB_RETRYCANCEL).answer, IDRETRY);
    EXPECT_EQ(RunTerminal(AnswerPolicy::AlwaysNo, "y\n", MB_YESNO).answer, IDNO);
    EXPECT_EQ(RunTerminal(AnswerPolicy::AlwaysNo, "", MB_RETRYCANCEL).answer, IDCANCEL);
    // Ask without a terminal: the input file is not one, so the safe answer is given.
    const TerminalRun asked = RunTerminal(AnswerPolicy::Ask, "y\n", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(asked.answer, IDNO);
    EXPECT_EQ(asked.printed.rfind("Do it?\n", 0), 0u) << asked.printed;
    const TerminalRun stop = RunTerminal(AnswerPolicy::AlwaysYes, "", MB_OK | MB_ICONSTOP);
    EXPECT_EQ(stop.answer, IDOK);
    EXPECT_EQ(stop.printed, "Error: Do it?\n");
}

TEST(TerminalMessageBox, QuestionsNameTheTypedAnswersNotButtons) {
    struct Case {
        unsigned flags;
        std::string text;
        std::string printed;
    };
    const Case cases[] = {
        {MB_RETRYCANCEL | MB_ICONEXCLAMATION,
         "Bad line\n\nPress \"Retry\" to scan for more errors, \"Cancel\" to stop.",
         "Warning: Bad line\n\nAnswer y to scan for more errors, n to stop.\n"},
        {MB_YESNO, "Press \"Yes\" to go on or press \"No\".", "Answer y to go on or answer n.\n"},
        {MB_OKCANCEL, "\"OK\" sends, \"Cancel\" stops.", "y sends, n stops.\n"},
        // Only the box's own buttons are answers; a note is printed as written.
        {MB_YESNO, "Save \"Cancel\"?", "Save \"Cancel\"?\n"},
        {MB_OK, "Press \"OK\".", "Press \"OK\".\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunTerminal(AnswerPolicy::AlwaysNo, "", c.flags, c.text).printed, c.printed);
    }
    const TerminalRun asked = RunTerminal(AnswerPolicy::Ask, "", MB_RETRYCANCEL, "Go?");
    EXPECT_EQ(asked.answer, IDCANCEL);
    EXPECT_EQ(asked.printed, "Go?\n(no terminal to ask: answering n; use --yes to answer y)\n");
}

}  // namespace
