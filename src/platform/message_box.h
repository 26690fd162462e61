#pragma once

// The one way the core asks the user something, and the boxes a front end shows.
// A front end installs a backend (windows, terminal, or a script in tests);
// callers pass the text and Win32-style flags and get the button that was pressed.
// Safe to call from any thread: the backend decides how to reach the user. A job's
// failures do not come here: they travel to the job's window (work/worker_messages.h),
// which shows them; only the questions a job must have answered before it goes on do.

#include <memory>
#include <string>

// Buttons (low nibble) and icons, with the values the flags have always had.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_RETRYCANCEL = 0x05;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

// The second button (No, Cancel) is the one Enter presses.
constexpr unsigned MB_DEFBUTTON2 = 0x100;

constexpr unsigned MB_BUTTON_MASK = 0x0F;
constexpr unsigned MB_ICON_MASK = 0xF0;

// Results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Who answers the questions a backend is given.
enum class QuestionAnswerer {
    User,       // someone is asked: in a window, or at a terminal
    AlwaysYes,  // the user has answered every question with the positive button beforehand
    AlwaysNo,   // the user has answered every question with the negative button beforehand
    NoOne,      // no one is there to ask: the negative button answers
};

// What a front end implements. Show and Answerer may be called from any thread at once.
class MessageBoxBackend {
  public:
    virtual ~MessageBoxBackend() = default;
    virtual int Show(const std::string& text, unsigned flags) = 0;
    virtual QuestionAnswerer Answerer() const { return QuestionAnswerer::User; }
};

// Installs the backend used from now on and returns the previous one.
// With no backend installed, boxes are written to standard error and answered
// with the negative button (see NegativeAnswer).
std::shared_ptr<MessageBoxBackend> SetMessageBoxBackend(std::shared_ptr<MessageBoxBackend> backend);

// Who answers the installed backend's questions; NoOne when none is installed. Lets a
// caller that can go on without an answer (leaving something out, and saying so) skip a
// question that no one would see.
QuestionAnswerer CurrentAnswerer();

// Shows a box through the installed backend; returns IDOK, IDYES, IDNO, IDRETRY or IDCANCEL.
int ShowMessageBox(const std::string& text, unsigned flags);

// The answer that ends or declines: IDOK for an OK box, IDNO for Yes/No, IDCANCEL otherwise.
int NegativeAnswer(unsigned flags);

// The answer that goes on: IDOK, IDYES or IDRETRY.
int PositiveAnswer(unsigned flags);

// Formats printf-style for a box. A text that does not fit 10240 bytes is cut to its
// first 1024 characters.
std::string MessageBoxText(const char* format, ...) __attribute__((format(printf, 1, 2)));
