#pragma once

// A real FTP server for tests: Debian's pyftpdlib, started from tests/upload/ftp_server.py
// on 127.0.0.1 with a free port, one user with a password and a temporary root folder;
// with tls, it requires FTP over TLS with a self-signed certificate made for the test.
// Stopped (and waited for) when the object goes, or earlier with Stop(). Every command a
// client sent can be read back from its log.
//
// The GoogleTest and the QtTest programs share it, so it uses neither: a server that
// cannot be started throws std::runtime_error, which each reports as the test's failure.
// One thread at a time.

#include <sys/types.h>

#include <string>
#include <vector>

class FtpTestServer {
  public:
    struct Options {
        bool noPassive = false;  // refuse PASV and EPSV
        bool noMlst = false;     // answer MLST and MLSD as unknown commands
        long throttle = 0;       // bytes a second on data connections; 0 for no limit
        bool tls = false;        // require AUTH TLS, with a certificate made here
        // Ways of real (or hostile) servers, as ftp_server.py names them: "case-insensitive",
        // "lying-pwd", "silent-quit", "dos-list", "seven-field-list", "endless-mlsd",
        // "slow-mlsd", "keep-old-on-cut", "short-store", "mkdir-race", "hash", "xmd5".
        std::vector<std::string> quirks = {};
        // More of ftp_server.py's options, as its command line takes them:
        // {"--max-logins", "2"}, {"--clock-offset", "18000"}, {"--cut-after", "3000000"},
        // {"--size-offset", "7"}.
        std::vector<std::string> more = {};
    };

    static constexpr const char* kUser = "ann";
    static constexpr const char* kPassword = "s3cret pass";
    // Makes the server hang up on the client that changes into it.
    static constexpr const char* kClosingFolder = "close-this-connection";

    FtpTestServer() : FtpTestServer(Options{}) {}
    explicit FtpTestServer(const Options& options);
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    // Kills the server at once, as a crash or a pulled cable would end it.
    void Stop();

    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
    const std::string& Root() const { return root; }

    // The commands clients sent so far, one a line ("STOR a.htm"), passwords masked, with a
    // line for the end of each upload: "~received a.htm", or "~incomplete a.htm" when the
    // data connection broke or was aborted before the client ended the file.
    std::vector<std::string> Commands() const;

    // How many of the commands begin with verb ("STOR").
    int Count(const std::string& verb) const;

    // Waits, at most 30 seconds, until the server has said how an upload of name ended and so
    // has closed its copy: "~received" or "~incomplete", or "" when it has not said.
    std::string WaitForUploadEnd(const std::string& name) const;

    int port = 0;
    std::string fingerprint;  // of the TLS certificate: "AB:CD:..."

  private:
    void Start(const Options& options);
    void RemoveFolder();

    std::string folder;  // temporary, removed with everything in it
    std::string root;
    std::string log;
    pid_t pid = -1;
};

// A TCP proxy on 127.0.0.1 in front of a server on serverPort (tests/upload/cutting_proxy.py)
// that cuts the first connection to carry more than cutAfter bytes from the client, there,
// with a reset, as a broken link does; later connections go through. Stopped when the object
// goes. Throws std::runtime_error when it cannot be started.
class CuttingProxy {
  public:
    CuttingProxy(int serverPort, long long cutAfter);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    int port = 0;

  private:
    pid_t pid = -1;
};
