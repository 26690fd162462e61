#pragma once

// Message boxes for the command-line front end: the text goes to standard error;
// a question is asked at the terminal when standard input is one, otherwise it is
// answered by the policy the user chose on the command line (--yes / --no). Every
// question takes y (Yes, Retry, OK) or n (No, Cancel), and a question's text names
// those answers instead of the buttons of a window.

#include <cstdio>

#include "platform/message_box.h"
#include "platform/mutex.h"

enum class AnswerPolicy { Ask, AlwaysYes, AlwaysNo };

class TerminalMessageBox : public MessageBoxBackend {
  public:
    // policy Ask still answers No/Cancel when standard input is not a terminal.
    // in and err are the streams to use (standard input and error by default).
    explicit TerminalMessageBox(AnswerPolicy policy, std::FILE* in = stdin,
                                std::FILE* err = stderr);

    int Show(const std::string& text, unsigned flags) override;

    // User at a terminal with policy Ask; NoOne without one.
    QuestionAnswerer Answerer() const override;

  private:
    int Ask(unsigned flags) REQUIRES(mutex);

    Mutex mutex;  // one question at a time, even from several threads
    AnswerPolicy policy;
    std::FILE* in GUARDED_BY(mutex);
    std::FILE* err GUARDED_BY(mutex);
    bool interactive;
};
