#include "upload/ssh_host_keys.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

std::string Base64(const unsigned char* data, std::size_t size) {
    std::string text(4 * ((size + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), data,
                                       static_cast<int>(size));
    text.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    return text;
}

std::vector<unsigned char> FromBase64(const std::string& text) {
    std::vector<unsigned char> bytes(3 * (text.size() / 4) + 3);
    const int length =
        EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (length < 0) {
        return {};
    }
    bytes.resize(static_cast<std::size_t>(length));
    // The decoder counts the padding as bytes.
    for (auto it = text.rbegin(); it != text.rend() && *it == '=' && !bytes.empty(); ++it) {
        bytes.pop_back();
    }
    return bytes;
}

// The key's type, which the key blob names first ("ssh-ed25519", "ecdsa-sha2-nistp256").
std::string KeyTypeName(const std::vector<unsigned char>& blob) {
    if (blob.size() < 4) {
        return {};
    }
    const std::size_t length = (std::size_t{blob[0]} << 24) | (std::size_t{blob[1]} << 16) |
                               (std::size_t{blob[2]} << 8) | std::size_t{blob[3]};
    if (length == 0 || length > 64 || 4 + length > blob.size()) {
        return {};
    }
    return std::string(blob.begin() + 4, blob.begin() + 4 + static_cast<long>(length));
}

int OnHostKey(CURL*, const curl_khkey*, const curl_khkey* found, curl_khmatch match, void* data) {
    auto* check = static_cast<HostKeyCheck*>(data);
    std::vector<unsigned char> blob;
    if (found != nullptr && found->key != nullptr) {
        if (found->len == 0) {
            blob = FromBase64(found->key);
        } else {
            blob.assign(found->key, found->key + found->len);
        }
    }
    check->keyBase64 = Base64(blob.data(), blob.size());
    check->keyType = KeyTypeName(blob);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(blob.data(), blob.size(), digest, &length, EVP_sha256(), nullptr);
    std::string fingerprint = Base64(digest, length);
    while (!fingerprint.empty() && fingerprint.back() == '=') {
        fingerprint.pop_back();  // ssh shows it without the padding
    }
    check->fingerprint = "SHA256:" + fingerprint;
    switch (match) {
        case CURLKHMATCH_OK:
            check->outcome = HostKeyCheck::Outcome::Known;
            return CURLKHSTAT_FINE;
        case CURLKHMATCH_MISMATCH:
            check->outcome = HostKeyCheck::Outcome::Changed;
            return CURLKHSTAT_REJECT;
        default:
            check->outcome = HostKeyCheck::Outcome::Unknown;
            return CURLKHSTAT_REJECT;
    }
}

// known_hosts names a server on another port than 22 as "[host]:port".
std::string HostField(const HostKeyCheck& check) {
    if (check.port == 22) {
        return check.host;
    }
    return "[" + check.host + "]:" + std::to_string(check.port);
}

}  // namespace

std::string UserKnownHostsFile() {
    std::string home;
    if (const char* variable = std::getenv("HOME"); variable != nullptr && *variable != '\0') {
        home = variable;
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr) {
        home = user->pw_dir;
    }
    return JoinPath(JoinPath(home, ".ssh"), "known_hosts");
}

void ApplyHostKeyCheck(CURL* handle, HostKeyCheck& check) {
    check.outcome = HostKeyCheck::Outcome::NotSeen;
    curl_easy_setopt(handle, CURLOPT_SSH_KNOWNHOSTS, check.knownHosts.c_str());
    curl_easy_setopt(handle, CURLOPT_SSH_KEYFUNCTION, &OnHostKey);
    curl_easy_setopt(handle, CURLOPT_SSH_KEYDATA, &check);
}

bool RecordHostKey(const HostKeyCheck& check, std::string& problem) {
    if (check.keyType.empty() || check.keyBase64.empty()) {
        problem = "The server's host key could not be read.";
        return false;
    }
    const std::string folder = PathFolder(check.knownHosts);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = ErrorCodeText(errno);
        return false;
    }
    const UniqueFd fd(
        ::open(check.knownHosts.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid()) {
        problem = ErrorCodeText(errno);
        return false;
    }
    // A file whose last line lacks its end gets one first.
    std::string line = HostField(check) + " " + check.keyType + " " + check.keyBase64 + "\n";
    struct stat status {};
    if (::fstat(fd.get(), &status) == 0 && status.st_size > 0) {
        char last = '\n';
        if (ReadAllAt(fd.get(), static_cast<std::uint64_t>(status.st_size - 1), &last, 1) == 1 &&
            last != '\n') {
            line.insert(line.begin(), '\n');
        }
    }
    if (!WriteAll(fd.get(), line)) {
        problem = ErrorCodeText(errno);
        return false;
    }
    return true;
}
