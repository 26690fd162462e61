#include "upload/content_hash.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/files.h"

namespace {

constexpr std::size_t kReadBlock = 256 * 1024;

// A read of the file that failed with error: the system's description as text.
Result ReadFailure(int error) {
    return Result::FromErrno("read", "", error).WithText(ErrorCodeText(error));
}

}  // namespace

void ContentHash::Free::operator()(evp_md_ctx_st* context) const {
    EVP_MD_CTX_free(context);
}

ContentHash::ContentHash(const std::string& algorithm)
    : context(EVP_MD_CTX_new()), algorithm(algorithm) {
    const EVP_MD* digest = EVP_get_digestbyname(algorithm.c_str());
    valid = context && digest != nullptr && EVP_DigestInit_ex(context.get(), digest, nullptr) == 1;
}

ContentHash::~ContentHash() = default;

void ContentHash::Add(std::string_view bytes) {
    if (valid) {
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size());
    }
}

std::string ContentHash::Finish() {
    if (!valid) {
        return {};
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    valid = EVP_DigestInit_ex(context.get(), EVP_get_digestbyname(algorithm.c_str()), nullptr) == 1;
    return hex;
}

Result ContentHash::AddFilePart(int fd, std::uint64_t from, std::uint64_t count) {
    std::vector<char> block(static_cast<std::size_t>(std::min<std::uint64_t>(kReadBlock, count)));
    while (count > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kReadBlock, count));
        const Expected<std::size_t> got = ReadAllAt(fd, from, block.data(), want);
        if (!got.ok()) {
            return ReadFailure(got.failure().error());
        }
        Add(std::string_view(block.data(), *got));
        if (*got < want) {
            break;  // the file ends
        }
        from += want;
        count -= want;
    }
    return Result::Ok();
}

Expected<std::string> HashFilePart(int fd, std::uint64_t from, std::uint64_t count,
                                   const std::string& algorithm) {
    ContentHash hash(algorithm);
    if (!hash.Valid()) {
        return Result::FromErrno("hash", algorithm, EINVAL).WithText(ErrorCodeText(EINVAL));
    }
    if (Result added = hash.AddFilePart(fd, from, count); !added.ok()) {
        return added;
    }
    return hash.Finish();
}
