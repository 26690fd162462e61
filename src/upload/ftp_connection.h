#pragma once

// An FTP connection over libcurl: one logged-in control connection that every request
// of an upload reuses, with the server's current folder kept between requests. Folder
// requests and file queries go over the control connection; a remote file is sent on a
// data connection in passive mode, or in active mode once the server refuses passive
// (as servers behind some firewalls do).
//
// libcurl would silently log in anew when the control connection is lost, which would
// put the next files into the login folder; the connection refuses to go on instead, and
// every later call fails with "The connection to the FTP server was lost.".
//
// A connection belongs to the thread that opened it. It holds the Internet session (and
// so libcurl) for as long as it lives. See FtpClient for how failures are reported.

#include <curl/curl.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "upload/ftp_address.h"
#include "upload/ftp_client.h"
#include "upload/internet_session.h"

class FtpConnection final : public FtpClient {
  public:
    // Connects to host (see ParseFtpHost; port 21 unless it names one) and logs in.
    // Null, with failure saying why, when that does not work.
    static std::unique_ptr<FtpConnection> Open(std::shared_ptr<InternetSession> session,
                                               const std::string& host, const std::string& username,
                                               const std::string& password, std::string& failure);
    ~FtpConnection() override;
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    bool SetCurrentDirectory(const std::string& folder) override;
    bool CreateDirectory(const std::string& folder) override;
    bool GetCurrentDirectory(std::string& folder) override;
    bool FindFile(const std::string& name, RemoteFileStatus& status) override;
    std::unique_ptr<FtpRemoteFile> OpenFile(const std::string& name) override;
    void Close() override;

    // True once a data connection had to go the active way.
    bool UsesActiveMode() const { return activeMode; }

  private:
    class RemoteFile;
    struct Reply {
        int code = 0;
        std::string line;  // the last line, without its line end
    };

    explicit FtpConnection(std::shared_ptr<InternetSession> session);
    bool LogIn(const FtpAddress& address, const std::string& username, const std::string& password);

    // Sends one command on the control connection. True when the server answered,
    // whatever the answer; false (recorded) when the connection failed.
    bool Command(const std::string& command, Reply& reply);
    bool FindByListing(const std::string& name, RemoteFileStatus& status, bool& answered);
    bool FindBySizeAndTime(const std::string& name, RemoteFileStatus& status);
    bool Usable();

    // Sets the handle up for a request on path below the server's root URL.
    void Prepare(const std::string& path);
    void Start();
    // Drives the request until it ends or ready() says so.
    void Pump(const std::function<bool()>& ready);
    CURLcode Perform();
    // Records the failure of a request that ended with result; returns false.
    bool FailRequest(CURLcode result);
    Reply LastReply() const;

    static size_t OnHeader(char* data, size_t size, size_t count, void* connection);
    static int OnSocket(void* connection, curl_socket_t socket, curlsocktype purpose);
    static int OnPrerequest(void* connection, char*, char*, int, int);
    static size_t OnRead(char* buffer, size_t size, size_t count, void* connection);

    std::shared_ptr<InternetSession> session;
    CURLM* multi = nullptr;
    CURL* handle = nullptr;
    std::string rootUrl;  // ftp://host:port/
    std::string username;
    std::string password;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    std::vector<std::string> replyLines;  // what the server said during the request
    curl_slist* quote = nullptr;

    bool loggedIn = false;
    bool lost = false;    // the control connection went away after the login
    bool closed = false;  // Close was called
    bool activeMode = false;
    bool listingRefused = false;  // the server does not know MLST
    bool binaryTypeSet = false;
    int controlSockets = 0;  // connections opened during the request before it began

    bool running = false;
    CURLcode result = CURLE_OK;

    // The remote file being written.
    std::string_view pending;  // bytes handed over by Write and not yet taken by libcurl
    bool readStarted = false;  // libcurl asked for data: the server accepted the file
    bool endOfFile = false;
};
