#include "platform/terminal_message_box.h"

#include <unistd.h>

#include <cctype>
#include <string>

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

}  // namespace

int TerminalMessageBox::Show(const std::string& text, unsigned flags) {
    std::lock_guard lock(mutex);
    std::fprintf(err, "%s%s\n", IconWord(flags), text.c_str());
    const unsigned buttons = flags & MB_BUTTON_MASK;
    if (buttons == MB_OK) {
        std::fflush(err);
        return IDOK;
    }
    switch (policy) {
        case AnswerPolicy::AlwaysYes:
            return PositiveAnswer(flags);
        case AnswerPolicy::AlwaysNo:
            return NegativeAnswer(flags);
        case AnswerPolicy::Ask:
            break;
    }
    if (!interactive) {
        std::fprintf(err, "(no terminal to ask: answering %s; use --yes to answer otherwise)\n",
                     NegativeAnswer(flags) == IDNO ? "No" : "Cancel");
        return NegativeAnswer(flags);
    }
    return Ask(flags);
}

int TerminalMessageBox::Ask(unsigned flags) {
    struct Choice {
        char key;
        int answer;
    };
    Choice positive{'y', IDYES};
    Choice negative{'n', IDNO};
    const char* prompt = "[y/n]";
    switch (flags & MB_BUTTON_MASK) {
        case MB_RETRYCANCEL:
            positive = {'r', IDRETRY};
            negative = {'c', IDCANCEL};
            prompt = "[r]etry or [c]ancel";
            break;
        case MB_OKCANCEL:
            positive = {'o', IDOK};
            negative = {'c', IDCANCEL};
            prompt = "[o]k or [c]ancel";
            break;
        default:
            break;
    }
    for (;;) {
        std::fprintf(err, "%s? ", prompt);
        std::fflush(err);
        char line[256];
        if (std::fgets(line, sizeof line, in) == nullptr) {
            std::fputc('\n', err);
            return negative.answer;  // end of input declines
        }
        const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        if (first == positive.key) {
            return positive.answer;
        }
        if (first == negative.key) {
            return negative.answer;
        }
    }
}
