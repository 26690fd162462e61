#include "cli/terminal_message_box.h"

#include <unistd.h>

#include <cctype>
#include <string>

#include "platform/paths.h"

TerminalMessageBox::TerminalMessageBox(AnswerPolicy policy, std::FILE* in, std::FILE* err)
    : policy(policy), in(in), err(err), interactive(isatty(fileno(in)) != 0) {}

namespace {

const char* IconWord(unsigned flags) {
    switch (flags & MB_ICON_MASK) {
        case MB_ICONSTOP:
            return "Error: ";
        case MB_ICONEXCLAMATION:
            return "Warning: ";
        default:
            return "";
    }
}

// The captions of a question's two buttons: the one that goes on, the one that declines.
struct ButtonCaptions {
    const char* positive;
    const char* negative;
};

ButtonCaptions CaptionsOf(unsigned flags) {
    switch (flags & MB_BUTTON_MASK) {
        case MB_RETRYCANCEL:
            return {"Retry", "Cancel"};
        case MB_OKCANCEL:
            return {"OK", "Cancel"};
        default:
            return {"Yes", "No"};
    }
}

// A question's text tells the user which button to press; at the terminal the answers
// are typed, so "Press \"Retry\" to go on, \"Cancel\" to stop" becomes
// "Answer y to go on, n to stop".
std::string WithTypedAnswers(const std::string& text, unsigned flags) {
    const ButtonCaptions captions = CaptionsOf(flags);
    std::string result = text;
    for (const auto& [caption, key] :
         {std::pair{captions.positive, "y"}, std::pair{captions.negative, "n"}}) {
        const std::string quoted = std::string("\"") + caption + "\"";
        result = ReplaceAll(result, "Press " + quoted, std::string("Answer ") + key);
        result = ReplaceAll(result, "press " + quoted, std::string("answer ") + key);
        result = ReplaceAll(result, quoted, key);
    }
    return result;
}

}  // namespace

int TerminalMessageBox::Show(const std::string& text, unsigned flags) {
    MutexLock lock(mutex);
    const unsigned buttons = flags & MB_BUTTON_MASK;
    if (buttons == MB_OK) {
        std::fprintf(err, "%s%s\n", IconWord(flags), text.c_str());
        std::fflush(err);
        return IDOK;
    }
    std::fprintf(err, "%s%s\n", IconWord(flags), WithTypedAnswers(text, flags).c_str());
    switch (policy) {
        case AnswerPolicy::AlwaysYes:
            return PositiveAnswer(flags);
        case AnswerPolicy::AlwaysNo:
            return NegativeAnswer(flags);
        case AnswerPolicy::Ask:
            break;
    }
    if (!interactive) {
        std::fprintf(err, "(no terminal to ask: answering n; use --yes to answer y)\n");
        return NegativeAnswer(flags);
    }
    return Ask(flags);
}

QuestionAnswerer TerminalMessageBox::Answerer() const {
    switch (policy) {
        case AnswerPolicy::AlwaysYes:
            return QuestionAnswerer::AlwaysYes;
        case AnswerPolicy::AlwaysNo:
            return QuestionAnswerer::AlwaysNo;
        case AnswerPolicy::Ask:
            break;
    }
    return interactive ? QuestionAnswerer::User : QuestionAnswerer::NoOne;
}

int TerminalMessageBox::Ask(unsigned flags) {
    for (;;) {
        std::fprintf(err, "[y/n]? ");
        std::fflush(err);
        char line[256];
        if (std::fgets(line, sizeof line, in) == nullptr) {
            std::fputc('\n', err);
            return NegativeAnswer(flags);  // end of input declines
        }
        const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        if (first == 'y') {
            return PositiveAnswer(flags);
        }
        if (first == 'n') {
            return NegativeAnswer(flags);
        }
    }
}
