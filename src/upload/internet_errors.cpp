#include "upload/internet_errors.h"

#include <utility>

Result InternetFailure(int code, std::string text) {
    return Result::FromErrno({}, {}, code).WithText(std::move(text));
}
