#pragma once

// An SFTP connection over libcurl: one SSH connection that every request of an upload
// reuses. SFTP has no current folder of its own, so the connection keeps one (an
// absolute path, the login folder at first) and names every file by its full path.
//
// It logs in with the profile's password, or, when the profile has none, with the
// user's SSH agent or key (~/.ssh/id_ed25519, id_ecdsa or id_rsa, in that order). The
// server's host key must be in ~/.ssh/known_hosts (see ssh_host_keys.h).
//
// A connection belongs to the thread that opened it. It holds the Internet session (and
// so libcurl) for as long as it lives. See FtpClient for how failures are reported.

#include <atomic>
#include <memory>
#include <string>

#include "platform/file_descriptor.h"
#include "upload/ftp_client.h"
#include "upload/ftp_connection.h"
#include "upload/internet_session.h"

class CurlTransfer;
struct HostKeyCheck;

class SftpConnection final : public FtpClient {
  public:
    // Connects to the server (port 22 unless the host names one) and logs in. Null, with
    // failure saying why, when that does not work; stop (may be null) ends the attempt.
    // hostKey gets what the server's host key check found.
    static std::unique_ptr<SftpConnection> Open(std::shared_ptr<InternetSession> session,
                                                const ServerLogin& login,
                                                const std::string& knownHosts, const StopFlag* stop,
                                                ConnectFailure& failure, HostKeyCheck& hostKey);
    ~SftpConnection() override;
    SftpConnection(const SftpConnection&) = delete;
    SftpConnection& operator=(const SftpConnection&) = delete;

    Result SetCurrentDirectory(const std::string& folder) override;
    Result CreateDirectory(const std::string& folder) override;
    Result GetCurrentDirectory(std::string& folder) override;
    Result FindFile(const std::string& name, RemoteFileStatus& status, bool& found) override;
    Result OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) override {
        return ResumeFile(name, 0, file);
    }
    Result ResumeFile(const std::string& name, std::int64_t from,
                      std::unique_ptr<FtpRemoteFile>& file) override;
    // A read of the file from byte from on. (The SFTP extension that hashes a file on the
    // server cannot be asked through libcurl: HashOf is not offered.)
    Result ReadToEnd(const std::string& name, std::int64_t from, std::int64_t limit,
                     std::string& bytes) override;
    Result ListFolder(std::vector<RemoteEntry>& entries) override;
    Result ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) override;
    Result DeleteFile(const std::string& name) override;
    Result RemoveDirectory(const std::string& name) override;
    void Close() override;
    void SetStopFlag(const StopFlag* flag) override;

  private:
    // The requests' libcurl side, which takes libcurl's types (in the .cpp).
    struct Curl;

    explicit SftpConnection(std::shared_ptr<InternetSession> session);
    Result LogIn(const std::string& host, int port, const ServerLogin& login);

    // The absolute path of name taken from the current folder.
    std::string PathOf(const std::string& name) const;
    // Sets the handle up for a request on an absolute path.
    void Prepare(const std::string& path);
    // Runs one quote command ("mkdir /a") on the connection.
    Result Quote(const std::string& command);
    // Lists the folder at an absolute path into entries.
    Result List(const std::string& folder, std::vector<RemoteEntry>* entries);
    Result Usable();

    std::unique_ptr<CurlTransfer> transfer;
    std::unique_ptr<HostKeyCheck> hostKey;
    UniqueFd preferredKeyType;  // see PreferredKeyTypeFile
    std::string rootUrl;        // sftp://host:port
    std::string username;
    std::string password;
    std::string privateKey;  // the key file to offer when there is no password
    std::string current;     // the current folder: absolute, without a trailing "/"
    bool closed = false;
};
