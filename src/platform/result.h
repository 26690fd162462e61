#pragma once

// How an operation ended: ok, or failed with what kind of failure it was, what failed (the
// step, such as "open", "write" or "rename", and the path it worked on), the errno value
// when the failure came from the system (0 otherwise), the code of a failed Internet request
// (0 otherwise) and the text that says why. Callers test ok() and branch on kind(); front
// ends turn text() into the words and boxes the user sees. A value type with no state beyond
// itself: copy it and pass it between threads freely.

#include <string>
#include <utility>

class [[nodiscard]] Result {
  public:
    // What a failure means for the caller, whatever its source.
    enum class Kind {
        NotFound,      // the file, folder or remote entry is not there
        Permission,    // not allowed, or a read-only file system
        NoSpace,       // the disk or the quota is full, or a file would grow too large
        Network,       // the connection failed, was lost or timed out
        Refused,       // the server answered and refused the request
        Stopped,       // the user asked the work to stop
        DamagedInput,  // a file or an answer that cannot be understood
        Other,
    };

    // Success: ok() is true and every field is empty.
    static Result Ok() { return Result(); }

    // A failed system call: the step, the path it worked on and the errno value it left.
    // The text is "<what> '<path>': <the system's description of error>"; the kind follows
    // from error.
    static Result FromErrno(std::string what, std::string path, int error);

    // A failure whose text says it all, such as a fixed message. Defined here, so that code
    // that links none of the platform's (the secret store's module) can make one too.
    static Result Failure(std::string text, Kind kind = Kind::Other) {
        Result result;
        result.failed = true;
        result.failureKind = kind;
        result.message = std::move(text);
        return result;
    }

    // A failed Internet request: code is its Internet error code (12000 to 12999), text the
    // server's reply or why the connection failed. reason() is the text.
    static Result Internet(int code, std::string text, Kind kind);

    // The same failure worded for the caller's reader: kind, what, path and codes stay.
    Result WithText(std::string text) &&;

    bool ok() const { return !failed; }
    Kind kind() const { return failureKind; }
    const std::string& what() const { return step; }
    const std::string& path() const { return file; }
    // The errno value of a failed system call, else 0: callers branch on kind().
    int error() const { return errorNumber; }
    // The code of a failed Internet request, else 0.
    int internetCode() const { return internetError; }
    const std::string& text() const { return message; }

    // Why the system refused, for a line after a fixed message: "<what> '<path>': <errno
    // description>" for a failure from errno, else the text.
    std::string reason() const;

  private:
    Result() = default;

    bool failed = false;
    Kind failureKind = Kind::Other;
    std::string step;
    std::string file;
    int errorNumber = 0;
    int internetError = 0;
    std::string message;
};

// The kind of failure an errno value stands for.
Result::Kind KindOfErrno(int error);
