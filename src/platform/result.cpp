#include "platform/result.h"

#include <cerrno>
#include <utility>

#include "platform/files.h"

namespace {

std::string ErrnoText(const std::string& what, const std::string& path, int error) {
    return what + " '" + path + "': " + ErrorCodeText(error);
}

}  // namespace

Result::Kind KindOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return Result::Kind::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return Result::Kind::Permission;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return Result::Kind::NoSpace;
        case ECONNREFUSED:
        case ECONNRESET:
        case ETIMEDOUT:
        case EHOSTUNREACH:
        case ENETUNREACH:
        case EPIPE:
            return Result::Kind::Network;
        case ECANCELED:
            return Result::Kind::Stopped;
        default:
            return Result::Kind::Other;
    }
}

Result Result::FromErrno(std::string what, std::string path, int error) {
    Result result;
    result.failed = true;
    result.failureKind = KindOfErrno(error);
    result.message = ErrnoText(what, path, error);
    result.step = std::move(what);
    result.file = std::move(path);
    result.errorNumber = error;
    return result;
}

Result Result::Internet(int code, std::string text, Kind kind) {
    Result result = Failure(std::move(text), kind);
    result.internetError = code;
    return result;
}

Result Result::WithText(std::string text) && {
    message = std::move(text);
    return std::move(*this);
}

std::string Result::reason() const {
    return errorNumber != 0 ? ErrnoText(step, file, errorNumber) : message;
}
