#pragma once

// An FTP connection over libcurl, plain or with explicit TLS (AUTH TLS, the data
// connections protected too): one logged-in control connection that every request of
// an upload reuses, with the server's current folder kept between requests. Folder
// requests and file queries go over the control connection; a remote file and a folder
// listing are sent on a data connection in passive mode, or in active mode once the
// server refuses passive (as servers behind some firewalls do). FindFile looks the
// files of a folder up in one listing of it (MLSD), made afresh after each change of
// folder; a server without MLSD is asked for each name (MLST, or SIZE and MDTM).
//
// With TLS, a server that does not offer it is refused (the password would go in clear
// text), and its certificate must pass the check of tls_trust.h.
//
// A folder listing (MLSD, or LIST on older servers) is read as the server sent it and
// within limits (ListingLimits): a listing that never ends, or trickles in, fails instead
// of filling the memory or holding the upload. Where MLSD names a link by what it leads to
// (as many servers do), the folder's LIST, which shows links as links, is asked as well.
//
// Close says QUIT and waits a little for the answer, never longer, and not at all once
// the upload's stop flag is set.
//
// libcurl would silently log in anew when the control connection is lost, which would
// put the next files into the login folder; the connection refuses to go on instead, and
// every later call fails with "The connection to the FTP server was lost.".
//
// A connection belongs to the thread that opened it. It holds the Internet session (and
// so libcurl) for as long as it lives. See FtpClient for how failures are reported.

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "platform/expected.h"
#include "platform/result.h"
#include "upload/ftp_address.h"
#include "upload/ftp_client.h"
#include "upload/ftp_replies.h"
#include "upload/internet_session.h"
#include "upload/listing_limits.h"

class CurlTransfer;
struct CertificateCheck;

// What a server needs to be reached: the profile's values that matter to a connection.
struct ServerLogin {
    std::string host;  // "ftp.example.com" or "ftp.example.com:2121"
    std::string username;
    std::string password;
    std::string certificate;  // FTPS: the fingerprint of a certificate the user trusts
};

// Why a connection could not be opened, and what the user may do about it.
struct ConnectFailure {
    enum class Kind { Other, UntrustedCertificate, ChangedCertificate, UnknownHostKey };
    Kind kind = Kind::Other;
    std::string text;         // the reason, in plain words
    std::string fingerprint;  // of the certificate or host key the user may trust
    // The failure's kind as a Result gives it: Refused only when the server refused the login
    // (user name, password or key), which another try would not change; its other refusals
    // while logging in (421, too many connections) are a failed connection, as a later one
    // may pass.
    Result::Kind meaning = Result::Kind::Other;

    // The reason as a failed Result.
    Result AsResult() const { return Result::Failure(text, meaning); }
};

class FtpConnection final : public FtpClient {
  public:
    // Connects to the server (see ParseFtpHost; port 21 unless it names one) and logs
    // in, with TLS when tls is set. Null, with failure saying why, when that does not
    // work; stop (may be null) ends the attempt early.
    static std::unique_ptr<FtpConnection> Open(std::shared_ptr<InternetSession> session,
                                               const ServerLogin& login, bool tls,
                                               const StopFlag* stop, ConnectFailure& failure);
    // Plain FTP without a stop flag; the failure is the reason's AsResult.
    static Expected<std::unique_ptr<FtpConnection>> Open(std::shared_ptr<InternetSession> session,
                                                         const std::string& host,
                                                         const std::string& username,
                                                         const std::string& password);
    ~FtpConnection() override;
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    Result SetCurrentDirectory(const std::string& folder) override;
    Result CreateDirectory(const std::string& folder) override;
    Result GetCurrentDirectory(std::string& folder) override;
    Result FindFile(const std::string& name, RemoteFileStatus& status, bool& found) override;
    Result OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) override {
        return ResumeFile(name, 0, file);
    }
    Result ResumeFile(const std::string& name, std::int64_t from,
                      std::unique_ptr<FtpRemoteFile>& file) override;
    // MLST, or SIZE in binary mode on a server without MLST.
    Result SizeOf(const std::string& name, std::int64_t& size, bool& found) override;
    // RETR from byte from on (REST), to the end the server sends, not the one SIZE tells.
    Result ReadToEnd(const std::string& name, std::int64_t from, std::int64_t limit,
                     std::string& bytes) override;
    // The best hash command the server's FEAT offers (see ParseHashFeature).
    Result HashOf(const std::string& name, std::string& algorithm, std::string& hex) override;
    Result ListFolder(std::vector<RemoteEntry>& entries) override;
    Result ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) override;
    Result DeleteFile(const std::string& name) override;
    Result RemoveDirectory(const std::string& name) override;
    void Close() override;
    void SetStopFlag(const StopFlag* flag) override;

    // True once a data connection had to go the active way.
    bool UsesActiveMode() const { return activeMode; }

    // The limits of the listings from now on.
    void SetListingLimits(const ListingLimits& limits) { listingLimits = limits; }

  private:
    // The requests' libcurl side, which takes and gives libcurl's types (in the .cpp).
    struct Curl;

    struct Reply {
        int code = 0;
        std::string line;  // the last line, without its line end
    };

    FtpConnection(std::shared_ptr<InternetSession> session, bool tls);
    Result LogIn(const FtpAddress& address, const ServerLogin& login);

    // Sends one command on the control connection. True when the server answered,
    // whatever the answer; fails when the connection failed.
    Result Command(const std::string& command, Reply& reply);
    // A command whose success is a reply of the 200s.
    Result Simple(const std::string& command);
    // FindFile by MLST; sets listingRefused when the server does not know it.
    Result FindByListing(const std::string& name, RemoteFileStatus& status, bool& found);
    // FindFile by SIZE and MDTM.
    Result FindBySizeAndTime(const std::string& name, RemoteFileStatus& status, bool& found);
    // SIZE, in binary mode (where it counts bytes); 550 is no such file.
    Result SizeInBinary(const std::string& name, std::int64_t& size, bool& found);
    // Usable, with name as a path below the root URL, escaped, in path; fails also when
    // the name cannot be sent.
    Result UsablePath(const std::string& name, std::string& path);
    bool ListForFind();
    // Lists the current folder with command ("MLSD" or "LIST") into entries; fails when
    // it fails or cannot be read.
    Result List(const std::string& command, std::vector<RemoteEntry>& entries);
    // Marks the folders of an MLSD listing that LIST shows as links; fails when the
    // connection failed meanwhile.
    Result FindLinks(std::vector<RemoteEntry>& entries);
    void SayGoodbye();
    Result Usable();

    // Sets the handle up for a request on path below the server's root URL.
    void Prepare(const std::string& path);
    Reply LastReply() const;

    std::unique_ptr<CurlTransfer> transfer;
    bool tls = false;
    std::unique_ptr<CertificateCheck> certificateCheck;
    std::string rootUrl;  // ftp://host:port/
    std::string username;
    std::string password;

    bool loggedIn = false;
    bool lost = false;    // the control connection went away after the login
    bool closed = false;  // Close was called
    bool activeMode = false;
    bool listingRefused = false;  // the server does not know MLST
    bool mlsdRefused = false;     // nor MLSD
    bool folderListed = false;    // listed holds the files of the current folder
    bool folderUnlisted = false;  // the current folder's listing failed: ask for each name
    ListingLimits listingLimits;
    std::map<std::string, RemoteFileStatus> listed;
    bool binaryTypeSet = false;
    bool sizeRefused = false;  // the server knows neither MLST nor SIZE
    bool featuresAsked = false;
    bool hashOffered = false;  // hashCommand is one the server offers
    FtpHashCommand hashCommand;
    // The folder the server logged in to, as its answer to libcurl's PWD named it; known
    // until the first change of folder.
    std::string loginFolder;
    bool loginFolderKnown = false;
};
