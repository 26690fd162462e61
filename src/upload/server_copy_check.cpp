#include "upload/server_copy_check.h"

#include <algorithm>
#include <cerrno>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "upload/content_hash.h"

namespace {

Result Differs(const std::string& why) {
    return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, why);
}

}  // namespace

Result CheckServerCopy(FtpClient& connection, const std::string& name, int fd,
                       std::int64_t length) {
    std::string algorithm;
    std::string remoteHash;
    const Result hashed = connection.HashOf(name, algorithm, remoteHash);
    if (hashed.ok()) {
        const Expected<std::string> localHash =
            HashFilePart(fd, 0, static_cast<std::uint64_t>(length), algorithm);
        if (!localHash.ok()) {
            return Differs("the file cannot be read: " + localHash.failure().text());
        }
        return *localHash == remoteHash ? Result::Ok()
                                        : Differs("the server's " + algorithm + " hash differs");
    }
    if (hashed.kind() != Result::Kind::Refused) {
        return hashed;
    }
    const std::int64_t start = std::max<std::int64_t>(0, length - kCheckedTail);
    std::string remote;
    // Room for more than asked for, so a copy longer than the server says shows as such.
    if (Result read = connection.ReadToEnd(name, start, 2 * kCheckedTail, remote); !read.ok()) {
        if (read.kind() != Result::Kind::Refused) {
            return read;
        }
        return Differs("the server could not send it back: " + read.text());
    }
    std::string local(static_cast<std::size_t>(length - start), '\0');
    const Expected<std::size_t> got =
        ReadAllAt(fd, static_cast<std::uint64_t>(start), local.data(), local.size());
    if (!got.ok()) {
        return Differs("the file cannot be read: " + ErrorCodeText(got.failure().error()));
    }
    local.resize(*got);
    if (remote.size() != local.size()) {
        return Differs("it ends at byte " +
                       GroupedNumber(start + static_cast<std::int64_t>(remote.size())) +
                       ", not at " + GroupedNumber(length));
    }
    if (remote != local) {
        const auto at = std::mismatch(remote.begin(), remote.end(), local.begin()).first;
        return Differs("it differs from the file at byte " +
                       GroupedNumber(start + (at - remote.begin())));
    }
    return Result::Ok();
}
