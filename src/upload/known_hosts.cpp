#include "upload/known_hosts.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/ascii.h"
#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/wildcard.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next blank-separated field of line from at on; empty at the end.
std::string_view NextField(std::string_view line, std::size_t& at) {
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    const std::size_t begin = at;
    while (at < line.size() && !IsBlank(line[at])) {
        ++at;
    }
    return line.substr(begin, at - begin);
}

// Strict base64: only its alphabet, in groups of four, padding only at the end.
bool DecodeBase64(std::string_view text, std::string& bytes) {
    if (text.empty() || text.size() % 4 != 0) {
        return false;
    }
    const std::size_t padding = text.back() != '=' ? 0 : text[text.size() - 2] == '=' ? 2 : 1;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const char c = text[i];
        const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '+' || c == '/';
        if (!alphabet) {
            return false;
        }
    }
    bytes.assign(3 * (text.size() / 4), '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(length) - padding);
    return true;
}

bool ParseLine(std::string_view line, KnownHostsLine& parsed) {
    std::size_t at = 0;
    std::string_view field = NextField(line, at);
    if (!field.empty() && field.front() == '@') {
        if (field != "@cert-authority" && field != "@revoked") {
            return false;
        }
        parsed.marker = field;
        field = NextField(line, at);
    }
    parsed.names = field;
    parsed.keyType = NextField(line, at);
    const std::string_view key = NextField(line, at);
    // The blob names its own type; a line whose two names differ is damaged.
    return !parsed.names.empty() && !parsed.keyType.empty() && DecodeBase64(key, parsed.key) &&
           KeyBlobType(parsed.key) == parsed.keyType;
}

// "|1|salt|hmac": the name hashed with HMAC-SHA1, keyed with the salt.
bool HashedNameMatches(std::string_view hashed, std::string_view name) {
    const std::size_t bar = hashed.find('|', 3);
    std::string salt;
    std::string digest;
    if (bar == std::string_view::npos || !DecodeBase64(hashed.substr(3, bar - 3), salt) ||
        !DecodeBase64(hashed.substr(bar + 1), digest)) {
        return false;
    }
    const std::string lowered = AsciiLowerCase(name);
    unsigned char computed[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (HMAC(EVP_sha1(), salt.data(), static_cast<int>(salt.size()),
             reinterpret_cast<const unsigned char*>(lowered.data()), lowered.size(), computed,
             &length) == nullptr) {
        return false;
    }
    return digest == std::string_view(reinterpret_cast<const char*>(computed), length);
}

}  // namespace

std::string KeyBlobType(std::string_view blob) {
    if (blob.size() < 4) {
        return {};
    }
    const auto byte = [&blob](std::size_t i) {
        return std::size_t{static_cast<unsigned char>(blob[i])};
    };
    const std::size_t length = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
    if (length == 0 || length > 64 || 4 + length > blob.size()) {
        return {};
    }
    return std::string(blob.substr(4, length));
}

KnownHosts ParseKnownHosts(std::string_view text) {
    KnownHosts hosts;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) {
            ++first;
        }
        if (first == line.size() || line[first] == '#') {
            continue;
        }
        KnownHostsLine parsed;
        parsed.number = number;
        if (ParseLine(line, parsed)) {
            hosts.lines.push_back(std::move(parsed));
        } else {
            hosts.unreadable.push_back(number);
        }
    }
    return hosts;
}

namespace {

// The file's own failure, worded as the system's description of error.
Result Unusable(const char* what, const std::string& path, int error) {
    return Result::FromErrno(what, path, error).WithText(ErrorCodeText(error));
}

Result TooLarge() {
    return Result::Failure(
        StringPrintf("it is larger than %zu MB", kMaxKnownHostsSize / (1024 * 1024)));
}

}  // namespace

Result ReadKnownHosts(const std::string& path, KnownHosts& hosts) {
    hosts = KnownHosts{};
    // Without O_NONBLOCK, opening a FIFO would wait for a writer that never comes.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT) {
            return Result::Ok();
        }
        return Unusable("open", path, errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return Unusable("stat", path, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return Result::Failure("it is not a regular file");
    }
    if (static_cast<std::uint64_t>(status.st_size) > kMaxKnownHostsSize) {
        return TooLarge();
    }
    // One more byte than the size, to see a file that grew meanwhile.
    std::string text(static_cast<std::size_t>(status.st_size) + 1, '\0');
    const Expected<std::size_t> length = ReadAll(fd.get(), text.data(), text.size());
    if (!length.ok()) {
        return Unusable("read", path, length.failure().error());
    }
    if (*length > kMaxKnownHostsSize) {
        return TooLarge();
    }
    text.resize(*length);
    hosts = ParseKnownHosts(text);
    return Result::Ok();
}

std::string KnownHostsName(const std::string& host, int port) {
    return port == 22 ? host : "[" + host + "]:" + std::to_string(port);
}

bool NamesHost(std::string_view names, std::string_view name) {
    if (names.substr(0, 3) == "|1|") {
        return HashedNameMatches(names, name);
    }
    bool named = false;
    while (true) {
        const std::size_t comma = names.find(',');
        std::string_view pattern = names.substr(0, comma);
        const bool negated = !pattern.empty() && pattern.front() == '!';
        if (negated) {
            pattern.remove_prefix(1);
        }
        if (!pattern.empty() && GlobMatch(pattern, name)) {
            if (negated) {
                return false;
            }
            named = true;
        }
        if (comma == std::string_view::npos) {
            return named;
        }
        names.remove_prefix(comma + 1);
    }
}

HostKeyMatch MatchHostKey(const KnownHosts& hosts, std::string_view name, std::string_view key) {
    bool named = false;
    bool known = false;
    for (const KnownHostsLine& line : hosts.lines) {
        if (line.marker == "@cert-authority" || !NamesHost(line.names, name)) {
            continue;  // certificate authorities vouch for certificates, which we do not take
        }
        if (line.marker == "@revoked") {
            if (line.key == key) {
                return HostKeyMatch::Revoked;
            }
            continue;
        }
        named = true;
        known = known || line.key == key;
    }
    return known ? HostKeyMatch::Known : named ? HostKeyMatch::Changed : HostKeyMatch::Unknown;
}

const KnownHostsLine* FirstKeyOf(const KnownHosts& hosts, std::string_view name) {
    for (const KnownHostsLine& line : hosts.lines) {
        if (line.marker.empty() && NamesHost(line.names, name)) {
            return &line;
        }
    }
    return nullptr;
}

std::string UnreadableLinesText(const std::string& path, const std::vector<int>& lines) {
    if (lines.empty()) {
        return {};
    }
    if (lines.size() == 1) {
        return StringPrintf("Line %d of %s cannot be read; it is skipped.", lines[0], path.c_str());
    }
    constexpr std::size_t kListed = 10;
    std::string list;
    const std::size_t shown = std::min(lines.size(), kListed);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            list += i + 1 == shown && lines.size() <= kListed ? " and " : ", ";
        }
        list += std::to_string(lines[i]);
    }
    if (lines.size() > kListed) {
        list += StringPrintf(" and %zu more", lines.size() - kListed);
    }
    return StringPrintf("Lines %s of %s cannot be read; they are skipped.", list.c_str(),
                        path.c_str());
}
