#include "upload/ssh_host_keys.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <utility>

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

std::string Base64(const std::string& bytes) {
    return Base64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

int OnHostKey(void* data, int, const char* key, std::size_t length) {
    auto* check = static_cast<HostKeyCheck*>(data);
    const std::string blob = key == nullptr ? std::string() : std::string(key, length);
    check->keyBase64 = Base64(blob);
    check->keyType = KeyBlobType(blob);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(blob.data(), blob.size(), digest, &digestLength, EVP_sha256(), nullptr);
    std::string fingerprint = Base64(digest, digestLength);
    while (!fingerprint.empty() && fingerprint.back() == '=') {
        fingerprint.pop_back();  // ssh shows it without the padding
    }
    check->fingerprint = "SHA256:" + fingerprint;
    switch (MatchHostKey(check->recorded, KnownHostsName(check->host, check->port), blob)) {
        case HostKeyMatch::Known:
            check->outcome = HostKeyCheck::Outcome::Known;
            return CURLKHMATCH_OK;
        case HostKeyMatch::Changed:
            check->outcome = HostKeyCheck::Outcome::Changed;
            return CURLKHMATCH_MISMATCH;
        case HostKeyMatch::Revoked:
            check->outcome = HostKeyCheck::Outcome::Revoked;
            return CURLKHMATCH_MISMATCH;
        case HostKeyMatch::Unknown:
            break;
    }
    check->outcome = HostKeyCheck::Outcome::Unknown;
    return CURLKHMATCH_MISMATCH;
}

// The key types libcurl can ask a server for.
bool LibcurlKnowsType(const std::string& type) {
    for (const char* known : {"ssh-ed25519", "ecdsa-sha2-nistp256", "ecdsa-sha2-nistp384",
                              "ecdsa-sha2-nistp521", "ssh-rsa", "ssh-dss"}) {
        if (type == known) {
            return true;
        }
    }
    return false;
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

Result LoadKnownHosts(HostKeyCheck& check) {
    if (Result read = ReadKnownHosts(check.knownHosts, check.recorded); !read.ok()) {
        const std::string reason = read.text();
        return std::move(read).WithText(check.knownHosts + " cannot be used: " + reason + ".");
    }
    return Result::Ok();
}

UniqueFd PreferredKeyTypeFile(const HostKeyCheck& check) {
    const KnownHostsLine* line = FirstKeyOf(check.recorded, KnownHostsName(check.host, check.port));
    if (line == nullptr || !LibcurlKnowsType(line->keyType)) {
        return UniqueFd();
    }
    UniqueFd file(::memfd_create("mavren-known-host", MFD_CLOEXEC));
    const std::string text = KnownHostsName(check.host, check.port) + " " + line->keyType + " " +
                             Base64(line->key) + "\n";
    if (!file.valid() || !WriteAll(file.get(), text).ok()) {
        return UniqueFd();
    }
    return file;
}

void ApplyHostKeyCheck(CURL* handle, HostKeyCheck& check, const UniqueFd& preferred) {
    check.outcome = HostKeyCheck::Outcome::NotSeen;
    // libcurl reads this file only to choose the key type it asks for; the callback,
    // which takes precedence over the file, makes the decision.
    if (preferred.valid()) {
        const std::string path = "/proc/self/fd/" + std::to_string(preferred.get());
        curl_easy_setopt(handle, CURLOPT_SSH_KNOWNHOSTS, path.c_str());
    }
    curl_easy_setopt(handle, CURLOPT_SSH_HOSTKEYFUNCTION, &OnHostKey);
    curl_easy_setopt(handle, CURLOPT_SSH_HOSTKEYDATA, &check);
}

Result RecordHostKey(const HostKeyCheck& check) {
    const auto systemFailure = [](const char* what, const std::string& path) {
        const int error = errno;
        return Result::FromErrno(what, path, error).WithText(ErrorCodeText(error));
    };
    if (check.keyType.empty() || check.keyBase64.empty()) {
        return Result::Failure("The server's host key could not be read.",
                               Result::Kind::DamagedInput);
    }
    const std::string folder = PathFolder(check.knownHosts);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return systemFailure("mkdir", folder);
    }
    const UniqueFd fd(::open(check.knownHosts.c_str(),
                             O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                             0600));
    if (!fd.valid()) {
        return systemFailure("open", check.knownHosts);
    }
    // Looked at again as it is now: another program may have recorded the server meanwhile.
    HostKeyCheck now = check;
    if (Result loaded = LoadKnownHosts(now); !loaded.ok()) {
        return loaded;
    }
    std::string blob;
    const std::string line =
        KnownHostsName(check.host, check.port) + " " + check.keyType + " " + check.keyBase64 + "\n";
    const KnownHosts written = ParseKnownHosts(line);
    if (!written.lines.empty()) {
        blob = written.lines.front().key;
    }
    switch (MatchHostKey(now.recorded, KnownHostsName(check.host, check.port), blob)) {
        case HostKeyMatch::Known:
            return Result::Ok();
        case HostKeyMatch::Unknown:
            break;
        default:
            return Result::Failure("Another key is recorded for the server there by now.");
    }
    std::string text = line;
    struct stat status {};
    if (::fstat(fd.get(), &status) == 0 && status.st_size > 0) {
        char last = '\n';
        // A file whose last line lacks its end gets one first.
        const Expected<std::size_t> got =
            ReadAllAt(fd.get(), static_cast<std::uint64_t>(status.st_size - 1), &last, 1);
        if (got.ok() && *got == 1 && last != '\n') {
            text.insert(text.begin(), '\n');
        }
    }
    if (const Result written = WriteAll(fd.get(), text); !written.ok()) {
        return Result::FromErrno("write", check.knownHosts, written.error())
            .WithText(ErrorCodeText(written.error()));
    }
    return Result::Ok();
}
