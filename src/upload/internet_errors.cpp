#include "upload/internet_errors.h"

#include <utility>

#include "platform/files.h"

namespace {

// The last Internet failure of this thread: each thread runs its own connection.
struct LastInternetError {
    int code = 0;
    std::string text;
};
thread_local LastInternetError t_lastInternetError;

}  // namespace

void SetLastInternetError(int code, std::string text) {
    t_lastInternetError = {code, std::move(text)};
}

std::string InternetErrorText(int code) {
    if (code >= 12000 && code < 13000 && code == t_lastInternetError.code) {
        return t_lastInternetError.text;
    }
    return ErrorCodeText(code);
}

Result InternetFailure(int code, std::string text) {
    SetLastInternetError(code, text);
    return Result::FromErrno({}, {}, code).WithText(std::move(text));
}
