#include "upload/sftp_connection.h"

#include <sys/stat.h>

#include <vector>

#include "platform/paths.h"
#include "upload/curl_remote_file.h"
#include "upload/curl_transfer.h"
#include "upload/ftp_address.h"
#include "upload/ftp_replies.h"
#include "upload/listing_limits.h"
#include "upload/remote_paths.h"
#include "upload/ssh_host_keys.h"

namespace {

bool Exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

// A path for libcurl's quote commands, which take double quotes and backslashes.
std::string Quoted(const std::string& path) {
    std::string text = "\"";
    for (const char c : path) {
        if (c == '"' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    return text + "\"";
}

}  // namespace

struct SftpConnection::Curl {
    // The failure of a request that ended with code.
    static Result FailRequest(SftpConnection& connection, CURLcode code,
                              const char* text = nullptr);
};

SftpConnection::SftpConnection(std::shared_ptr<InternetSession> session)
    : transfer(std::make_unique<CurlTransfer>(std::move(session))),
      hostKey(std::make_unique<HostKeyCheck>()) {}

SftpConnection::~SftpConnection() {
    Close();
}

std::unique_ptr<SftpConnection> SftpConnection::Open(std::shared_ptr<InternetSession> session,
                                                     const ServerLogin& login,
                                                     const std::string& knownHosts,
                                                     const StopFlag* stop, ConnectFailure& failure,
                                                     HostKeyCheck& hostKey) {
    failure = ConnectFailure{};
    if (!session) {
        failure.text = "The Internet session could not be set up.";
        return nullptr;
    }
    const Expected<FtpAddress> parsed = ParseFtpHost(login.host, 22);
    if (!parsed.ok()) {
        failure.text = parsed.failure().text();
        failure.meaning = parsed.failure().kind();
        return nullptr;
    }
    const FtpAddress& address = *parsed;
    std::unique_ptr<SftpConnection> connection(new SftpConnection(std::move(session)));
    if (!connection->transfer->Ready()) {
        failure.text = "The Internet session could not be set up.";
        return nullptr;
    }
    connection->SetStopFlag(stop);
    connection->hostKey->knownHosts = knownHosts;
    connection->hostKey->host = address.host;
    connection->hostKey->port = address.port;
    if (const Result loaded = LoadKnownHosts(*connection->hostKey); !loaded.ok()) {
        failure.text = loaded.text();
        failure.meaning = loaded.kind();
        hostKey = *connection->hostKey;
        return nullptr;
    }
    connection->preferredKeyType = PreferredKeyTypeFile(*connection->hostKey);
    const Result loggedIn = connection->LogIn(address.host, address.port, login);
    hostKey = *connection->hostKey;
    if (!loggedIn.ok()) {
        switch (hostKey.outcome) {
            case HostKeyCheck::Outcome::Unknown:
                failure.kind = ConnectFailure::Kind::UnknownHostKey;
                failure.fingerprint = hostKey.fingerprint;
                failure.text = "The server is not in " + knownHosts + " yet.";
                break;
            case HostKeyCheck::Outcome::Changed:
                failure.text = "The server's host key is not the one recorded in " + knownHosts +
                               ". Someone may be listening in, or the server was set up anew; "
                               "if your host confirms a new key, remove the server's line from "
                               "that file and connect again.";
                break;
            case HostKeyCheck::Outcome::Revoked:
                failure.text = "The server's host key is marked as revoked in " + knownHosts +
                               "; Mavren does not connect to it.";
                break;
            default:
                failure.text = loggedIn.text();
                failure.meaning = loggedIn.kind();
                break;
        }
        return nullptr;
    }
    return connection;
}

Result SftpConnection::LogIn(const std::string& host, int port, const ServerLogin& login) {
    const bool ipv6 = host.find(':') != std::string::npos;
    rootUrl = "sftp://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
    username = login.username;
    password = login.password;
    if (password.empty()) {
        const std::string folder = PathFolder(UserKnownHostsFile());
        for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
            if (Exists(JoinPath(folder, name))) {
                privateKey = JoinPath(folder, name);
                break;
            }
        }
    }
    // The login folder, as the server names it, is where relative folders start.
    current = "/";
    Prepare("/~/");
    curl_easy_setopt(transfer->Handle(), CURLOPT_NOBODY, 1L);
    const CurlStringList quote(curl_slist_append(nullptr, "pwd"));
    curl_easy_setopt(transfer->Handle(), CURLOPT_QUOTE, quote.get());
    const CURLcode code = transfer->Perform();
    if (code == CURLE_LOGIN_DENIED) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               password.empty()
                                   ? "The server refused the login: no SSH key of yours (agent or "
                                     "~/.ssh) was accepted for this user."
                                   : "The server refused the login: wrong user name or password.");
    }
    if (code != CURLE_OK) {
        const Result failed = Curl::FailRequest(*this, code);
        // Only the refused login above is one that another try would not change.
        if (failed.kind() == Result::Kind::Refused) {
            return Result::Internet(failed.internetCode(), failed.text(), Result::Kind::Network);
        }
        return failed;
    }
    std::string home;
    for (const std::string& line : transfer->ReplyLines()) {
        if (ParseQuotedFolder(line, home)) {
            break;
        }
    }
    current = RemoteFolderPath("/", home);
    return Result::Ok();
}

void SftpConnection::Close() {
    if (closed) {
        return;
    }
    closed = true;
    // Every file was closed with the server's word already; libssh2's goodbye would wait
    // on a server that stopped answering, for as long as it stays silent.
    transfer->Disconnect();
    transfer.reset();
}

void SftpConnection::SetStopFlag(const StopFlag* flag) {
    if (transfer) {
        transfer->SetStopFlag(flag);
    }
}

Result SftpConnection::Usable() {
    if (closed) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "The SFTP connection is closed.");
    }
    if (transfer->Running()) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "A remote file is still open.");
    }
    return Result::Ok();
}

std::string SftpConnection::PathOf(const std::string& name) const {
    if (!name.empty() && name.front() == '/') {
        return RemoteFolderPath("/", name);
    }
    return RemoteFolderPath(current, name);
}

void SftpConnection::Prepare(const std::string& path) {
    // Each piece of the path escaped, the slashes kept.
    std::string url = rootUrl;
    std::size_t at = 0;
    while (at < path.size()) {
        std::size_t slash = path.find('/', at);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        if (slash > at) {
            char* escaped = curl_easy_escape(transfer->Handle(), path.data() + at,
                                             static_cast<int>(slash - at));
            url += escaped != nullptr ? escaped : "";
            curl_free(escaped);
        }
        if (slash < path.size()) {
            url += '/';
        }
        at = slash + 1;
    }
    transfer->Prepare(url);
    CURL* handle = transfer->Handle();
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "sftp");
    curl_easy_setopt(handle, CURLOPT_USERNAME, username.c_str());
    if (!password.empty()) {
        curl_easy_setopt(handle, CURLOPT_PASSWORD, password.c_str());
        curl_easy_setopt(handle, CURLOPT_SSH_AUTH_TYPES,
                         static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    } else if (!privateKey.empty()) {
        curl_easy_setopt(handle, CURLOPT_SSH_AUTH_TYPES,
                         static_cast<long>(CURLSSH_AUTH_AGENT | CURLSSH_AUTH_PUBLICKEY));
        curl_easy_setopt(handle, CURLOPT_SSH_PRIVATE_KEYFILE, privateKey.c_str());
        if (Exists(privateKey + ".pub")) {
            curl_easy_setopt(handle, CURLOPT_SSH_PUBLIC_KEYFILE, (privateKey + ".pub").c_str());
        }
    } else {
        curl_easy_setopt(handle, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_AGENT));
    }
    // Checked on every request: a new SSH connection is checked like the first.
    ApplyHostKeyCheck(handle, *hostKey, preferredKeyType);
}

Result SftpConnection::SetCurrentDirectory(const std::string& folder) {
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    const std::string target = PathOf(folder);
    if (target != current) {
        if (Result listed = List(target, nullptr); !listed.ok()) {
            return listed;
        }
    }
    current = target;
    return Result::Ok();
}

Result SftpConnection::CreateDirectory(const std::string& folder) {
    return Quote("mkdir " + Quoted(PathOf(folder)));
}

Result SftpConnection::DeleteFile(const std::string& name) {
    return Quote("rm " + Quoted(PathOf(name)));
}

Result SftpConnection::RemoveDirectory(const std::string& name) {
    return Quote("rmdir " + Quoted(PathOf(name)));
}

Result SftpConnection::GetCurrentDirectory(std::string& folder) {
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    folder = current;
    return Result::Ok();
}

Result SftpConnection::FindFile(const std::string& name, RemoteFileStatus& status, bool& found) {
    status = RemoteFileStatus{};
    found = false;
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    Prepare(PathOf(name));
    CURL* handle = transfer->Handle();
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle, CURLOPT_FILETIME, 1L);
    const CURLcode code = transfer->Perform();
    if (code == CURLE_REMOTE_FILE_NOT_FOUND) {
        return Result::Ok();
    }
    if (code != CURLE_OK) {
        return Curl::FailRequest(*this, code);
    }
    curl_off_t size = -1;
    curl_off_t time = -1;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    curl_easy_getinfo(handle, CURLINFO_FILETIME_T, &time);
    status.size = size;
    status.lastWriteTime = static_cast<std::time_t>(time);
    found = true;
    return Result::Ok();
}

Result SftpConnection::ResumeFile(const std::string& name, std::int64_t from,
                                  std::unique_ptr<FtpRemoteFile>& file) {
    file.reset();
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (name.empty()) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "A file name cannot be empty.");
    }
    Prepare(PathOf(name));
    if (!transfer->BeginUpload(from)) {
        return Curl::FailRequest(
            *this, transfer->Result() == CURLE_OK ? CURLE_UPLOAD_FAILED : transfer->Result());
    }
    file = std::make_unique<CurlRemoteFile>(*transfer, [this](CURLcode code, const char* text) {
        return Curl::FailRequest(*this, code, text);
    });
    return Result::Ok();
}

Result SftpConnection::ReadToEnd(const std::string& name, std::int64_t from, std::int64_t limit,
                                 std::string& bytes) {
    bytes.clear();
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (name.empty()) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "A file name cannot be empty.");
    }
    Prepare(PathOf(name));
    curl_easy_setopt(transfer->Handle(), CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(from));
    transfer->LimitBody(static_cast<std::size_t>(limit), 0);
    const CURLcode code = transfer->Perform();
    if (code != CURLE_OK) {
        return Curl::FailRequest(*this, code);
    }
    bytes = transfer->Body();
    return Result::Ok();
}

Result SftpConnection::ListFolder(std::vector<RemoteEntry>& entries) {
    return ListFolderAt(current, entries);
}

Result SftpConnection::ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) {
    Result usable = Usable();
    return usable.ok() ? List(folder, &entries) : usable;
}

Result SftpConnection::List(const std::string& folder, std::vector<RemoteEntry>* entries) {
    Prepare(folder == "/" ? folder : folder + "/");
    const ListingLimits limits;
    ApplyListingLimits(*transfer, limits);
    const CURLcode code = transfer->Perform();
    if (code != CURLE_OK) {
        const std::string limit = ListingLimitText(*transfer, code, limits);
        return limit.empty() ? Curl::FailRequest(*this, code)
                             : InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, limit);
    }
    if (entries == nullptr) {
        return Result::Ok();
    }
    Expected<std::vector<RemoteEntry>> parsed = ParseListing(transfer->Body(), false);
    if (!parsed.ok()) {
        entries->clear();
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The listing is in a form Mavren does not understand (" +
                                   parsed.failure().text() + ").");
    }
    *entries = std::move(*parsed);
    return Result::Ok();
}

Result SftpConnection::Quote(const std::string& command) {
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    Prepare("/");
    curl_easy_setopt(transfer->Handle(), CURLOPT_NOBODY, 1L);
    const CurlStringList quote(curl_slist_append(nullptr, command.c_str()));
    curl_easy_setopt(transfer->Handle(), CURLOPT_QUOTE, quote.get());
    const CURLcode code = transfer->Perform();
    return code == CURLE_OK ? Result::Ok() : Curl::FailRequest(*this, code);
}

Result SftpConnection::Curl::FailRequest(SftpConnection& connection, CURLcode code,
                                         const char* text) {
    if (connection.transfer->StopRequested()) {
        return InternetStopped();
    }
    if (text != nullptr) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, text);
    }
    // What the server refused (a missing file or folder, a permission) is its answer;
    // anything else is the connection's failure.
    const bool refused = code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_QUOTE_ERROR ||
                         code == CURLE_REMOTE_ACCESS_DENIED || code == CURLE_UPLOAD_FAILED ||
                         code == CURLE_REMOTE_DISK_FULL || code == CURLE_REMOTE_FILE_EXISTS;
    return InternetFailure(
        refused ? ERROR_INTERNET_EXTENDED_ERROR : ERROR_INTERNET_CONNECTION_ABORTED,
        connection.transfer->ErrorText(code));
}
