#pragma once

// How an operation ended: ok, or failed with what failed (the step, such as "open",
// "write" or "rename", and the path it worked on), the errno value when the failure came
// from the system (0 otherwise) and the text that says why. Callers test ok(); front ends
// turn text() into the words and boxes the user sees. A value type with no state beyond
// itself: copy it and pass it between threads freely.

#include <string>

class [[nodiscard]] Result {
  public:
    // Success: ok() is true and every field is empty.
    static Result Ok() { return Result(); }

    // A failed system call: the step, the path it worked on and the errno value it left.
    // The text is "<what> '<path>': <the system's description of error>".
    static Result FromErrno(std::string what, std::string path, int error);

    // A failure whose text says it all, such as a server's reply or a fixed message.
    static Result Failure(std::string text);

    // The same failure worded for the caller's reader: what, path and errno stay.
    Result WithText(std::string text) &&;

    bool ok() const { return !failed; }
    const std::string& what() const { return step; }
    const std::string& path() const { return file; }
    int error() const { return errorNumber; }
    const std::string& text() const { return message; }

    // Why the system refused, for a line after a fixed message: "<what> '<path>': <errno
    // description>" for a failure from errno, else the text.
    std::string reason() const;

  private:
    Result() = default;

    bool failed = false;
    std::string step;
    std::string file;
    int errorNumber = 0;
    std::string message;
};
