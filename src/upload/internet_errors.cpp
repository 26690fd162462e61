#include "upload/internet_errors.h"

#include <utility>

Result InternetFailure(int code, std::string text) {
    return Result::Internet(
        code, std::move(text),
        code == ERROR_INTERNET_EXTENDED_ERROR ? Result::Kind::Refused : Result::Kind::Network);
}

Result InternetStopped() {
    return Result::Internet(ERROR_INTERNET_CONNECTION_ABORTED, "The upload was stopped.",
                            Result::Kind::Stopped);
}
