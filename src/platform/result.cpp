#include "platform/result.h"

#include <utility>

#include "platform/files.h"

namespace {

std::string ErrnoText(const std::string& what, const std::string& path, int error) {
    return what + " '" + path + "': " + ErrorCodeText(error);
}

}  // namespace

Result Result::FromErrno(std::string what, std::string path, int error) {
    Result result;
    result.failed = true;
    result.message = ErrnoText(what, path, error);
    result.step = std::move(what);
    result.file = std::move(path);
    result.errorNumber = error;
    return result;
}

Result Result::Failure(std::string text) {
    Result result;
    result.failed = true;
    result.message = std::move(text);
    return result;
}

Result Result::WithText(std::string text) && {
    message = std::move(text);
    return std::move(*this);
}

std::string Result::reason() const {
    return errorNumber != 0 ? ErrnoText(step, file, errorNumber) : message;
}
