#include "upload/ftp_connection.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <sstream>
#include <utility>

#include "upload/curl_remote_file.h"
#include "upload/curl_transfer.h"
#include "upload/ftp_replies.h"
#include "upload/tls_trust.h"

namespace {

const char* const kConnectionLost = "The connection to the FTP server was lost.";

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

// Replies that say a server does not know a command.
bool Unknown(int code) {
    return code == 500 || code == 502 || code == 504;
}

}  // namespace

struct FtpConnection::Curl {
    // Runs a listing of the current folder with command ("MLSD" or "LIST") into text.
    static CURLcode Listing(FtpConnection& connection, const std::string& command,
                            std::string& text);
    // The failure of a request that ended with code.
    static Result FailRequest(FtpConnection& connection, CURLcode code, const char* text = nullptr);
};

FtpConnection::FtpConnection(std::shared_ptr<InternetSession> session, bool tls)
    : transfer(std::make_unique<CurlTransfer>(std::move(session))),
      tls(tls),
      certificateCheck(std::make_unique<CertificateCheck>()) {
    // A connection opened for a request after the login means the old one is gone,
    // and with it the server's current folder.
    transfer->onPrerequest = [this](int newConnections) {
        if (loggedIn && newConnections > 0) {
            lost = true;
            return false;
        }
        return true;
    };
}

FtpConnection::~FtpConnection() {
    Close();
}

void FtpConnection::SetStopFlag(const StopFlag* flag) {
    if (transfer) {
        transfer->SetStopFlag(flag);
    }
}

std::unique_ptr<FtpConnection> FtpConnection::Open(std::shared_ptr<InternetSession> session,
                                                   const ServerLogin& login, bool tls,
                                                   const StopFlag* stop, ConnectFailure& failure) {
    failure = ConnectFailure{};
    if (!session) {
        failure.text = "The Internet session could not be set up.";
        return nullptr;
    }
    const Expected<FtpAddress> parsed = ParseFtpHost(login.host);
    if (!parsed.ok()) {
        failure.text = parsed.failure().text();
        failure.meaning = parsed.failure().kind();
        return nullptr;
    }
    const FtpAddress& address = *parsed;
    std::unique_ptr<FtpConnection> connection(new FtpConnection(std::move(session), tls));
    if (!connection->transfer->Ready()) {
        failure.text = "The Internet session could not be set up.";
        return nullptr;
    }
    connection->SetStopFlag(stop);
    if (const Result loggedIn = connection->LogIn(address, login); !loggedIn.ok()) {
        const CertificateCheck& check = *connection->certificateCheck;
        if (tls && CertificateRefused(connection->transfer->Result(), check)) {
            // Another certificate than the pinned one is no question of trust but a warning.
            failure.kind = login.certificate.empty() ? ConnectFailure::Kind::UntrustedCertificate
                                                     : ConnectFailure::Kind::ChangedCertificate;
            failure.fingerprint = check.fingerprint;
            failure.text = "The server's certificate is not trusted: " +
                           (check.problem.empty() ? loggedIn.text() : check.problem) + ".";
        } else {
            failure.text = loggedIn.text();
            failure.meaning = loggedIn.kind();
        }
        return nullptr;
    }
    return connection;
}

Expected<std::unique_ptr<FtpConnection>> FtpConnection::Open(
    std::shared_ptr<InternetSession> session, const std::string& host, const std::string& username,
    const std::string& password) {
    ConnectFailure reason;
    auto connection =
        Open(std::move(session), ServerLogin{host, username, password, {}}, false, nullptr, reason);
    if (!connection) {
        return reason.AsResult();
    }
    return connection;
}

Result FtpConnection::LogIn(const FtpAddress& address, const ServerLogin& login) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    rootUrl = "ftp://" + (ipv6 ? "[" + address.host + "]" : address.host) + ":" +
              std::to_string(address.port) + "/";
    username = login.username;
    password = login.password;
    certificateCheck->pinned = login.certificate;
    if (HasLineBreak(username) || HasLineBreak(password)) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED,
                               "A user name or password with a line break cannot be sent.");
    }
    Prepare("");
    curl_easy_setopt(transfer->Handle(), CURLOPT_NOBODY, 1L);
    const CURLcode code = transfer->Perform();
    if (code == CURLE_USE_SSL_FAILED) {
        return InternetFailure(
            ERROR_INTERNET_CONNECTION_ABORTED,
            "The server does not offer TLS (AUTH TLS); the password would go in clear "
            "text, so Mavren does not log in.");
    }
    if (code != CURLE_OK) {
        const Result failed = Curl::FailRequest(*this, code);
        // 530 refuses the login itself; another refusal now (421, too many connections) may
        // pass on a later connection.
        if (failed.kind() == Result::Kind::Refused && LastReply().code != 530) {
            return Result::Internet(failed.internetCode(), failed.text(), Result::Kind::Network);
        }
        return failed;
    }
    loggedIn = true;
    // libcurl asks PWD right after the login: its answer saves asking again.
    for (const std::string& line : transfer->ReplyLines()) {
        const std::string reply = WithoutLineEnd(line);
        if (FtpReplyCode(reply) == 257 && ParseQuotedFolder(reply, loginFolder)) {
            loginFolderKnown = true;
        }
    }
    return Result::Ok();
}

void FtpConnection::Close() {
    if (closed) {
        return;
    }
    SayGoodbye();
    closed = true;
    if (transfer) {
        transfer->Disconnect();
    }
    transfer.reset();
}

// QUIT, as a polite client ends; a server that does not answer within a moment (or a stop)
// is left without its answer.
void FtpConnection::SayGoodbye() {
    constexpr long kQuitReplySeconds = 2;
    if (!loggedIn || lost || !transfer || transfer->Running() || transfer->StopRequested()) {
        return;
    }
    Prepare("");
    CURL* handle = transfer->Handle();
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, kQuitReplySeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kQuitReplySeconds);
    const CurlStringList quote(curl_slist_append(nullptr, "*QUIT"));
    curl_easy_setopt(handle, CURLOPT_QUOTE, quote.get());
    transfer->Perform();
    lost = true;  // the server has hung up, or will
}

Result FtpConnection::Usable() {
    if (closed) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "The FTP connection is closed.");
    }
    if (lost) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, kConnectionLost);
    }
    if (transfer->Running()) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "A remote file is still open.");
    }
    return Result::Ok();
}

Result FtpConnection::SetCurrentDirectory(const std::string& folder) {
    if (folder.empty()) {
        return Usable();  // the current folder; some servers refuse a bare CWD
    }
    folderListed = false;
    folderUnlisted = false;
    loginFolderKnown = false;
    return Simple("CWD " + folder);
}

Result FtpConnection::CreateDirectory(const std::string& folder) {
    return Simple("MKD " + folder);
}

Result FtpConnection::DeleteFile(const std::string& name) {
    listed.erase(name);
    return Simple("DELE " + name);
}

Result FtpConnection::RemoveDirectory(const std::string& name) {
    return Simple("RMD " + name);
}

Result FtpConnection::Simple(const std::string& command) {
    Reply reply;
    if (Result sent = Command(command, reply); !sent.ok()) {
        return sent;
    }
    return reply.code / 100 == 2 ? Result::Ok()
                                 : InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
}

Result FtpConnection::GetCurrentDirectory(std::string& folder) {
    if (loginFolderKnown && Usable().ok()) {
        folder = loginFolder;
        return Result::Ok();
    }
    Reply reply;
    if (Result sent = Command("PWD", reply); !sent.ok()) {
        return sent;
    }
    if (reply.code / 100 != 2 || !ParseQuotedFolder(reply.line, folder)) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    return Result::Ok();
}

Result FtpConnection::FindFile(const std::string& name, RemoteFileStatus& status, bool& found) {
    status = RemoteFileStatus{};
    found = false;
    // A closed connection has no transfer left to read a refusal from.
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    // One listing of the folder answers for all of its files: a round trip a file less
    // than asking for each name.
    if (!mlsdRefused && !folderUnlisted && (folderListed || ListForFind())) {
        const auto it = listed.find(name);
        if (it != listed.end()) {
            status = it->second;
            found = true;
        }
        return Result::Ok();
    }
    if (!listingRefused) {
        Result asked = FindByListing(name, status, found);
        if (!listingRefused) {
            return asked;  // the server's answer, or the connection's failure
        }
    }
    return FindBySizeAndTime(name, status, found);
}

// Lists the current folder (MLSD) into the files FindFile looks in. False when that
// cannot be done; FindFile then asks for each name.
bool FtpConnection::ListForFind() {
    listed.clear();
    std::vector<RemoteEntry> entries;
    if (!Usable().ok() || !List("MLSD", entries).ok()) {
        if (Unknown(LastReply().code)) {
            mlsdRefused = true;
        }
        folderUnlisted = true;
        return false;
    }
    for (const RemoteEntry& entry : entries) {
        if (!entry.folder && !entry.link) {
            listed[entry.name] = entry.status;
        }
    }
    folderListed = true;
    return true;
}

// MLST: one command on the control connection gives the size and the time. A server that
// does not know MLST is marked, and nothing found.
Result FtpConnection::FindByListing(const std::string& name, RemoteFileStatus& status,
                                    bool& found) {
    Reply reply;
    if (Result sent = Command("MLST " + name, reply); !sent.ok()) {
        return sent;
    }
    if (Unknown(reply.code)) {
        listingRefused = true;
        return Result::Ok();
    }
    if (reply.code == 550) {
        return Result::Ok();  // no such file
    }
    // The facts line: " type=file;size=1234;modify=20240102030405; name".
    if (reply.code / 100 == 2) {
        for (const std::string& line : transfer->ReplyLines()) {
            if (!line.empty() && line.front() == ' ') {
                found = ParseListingFacts(line, status);
                return Result::Ok();
            }
        }
    }
    return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
}

// For servers without MLST: SIZE (in binary mode, where it counts bytes) and MDTM.
Result FtpConnection::FindBySizeAndTime(const std::string& name, RemoteFileStatus& status,
                                        bool& found) {
    Reply reply;
    if (!binaryTypeSet) {
        if (Result sent = Command("TYPE I", reply); !sent.ok()) {
            return sent;
        }
        binaryTypeSet = true;
    }
    if (Result sent = Command("SIZE " + name, reply); !sent.ok()) {
        return sent;
    }
    if (reply.code == 550) {
        return Result::Ok();  // no such file, or no plain file
    }
    if (reply.code != 213) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    std::int64_t size = -1;
    const std::string value = FtpReplyArgument(reply.line);
    std::from_chars(value.data(), value.data() + value.size(), size);
    status.size = size;
    if (Command("MDTM " + name, reply).ok() && reply.code == 213) {
        status.lastWriteTime = ParseFtpTime(FtpReplyArgument(reply.line));
    }
    found = true;
    return Result::Ok();
}

Result FtpConnection::UsablePath(const std::string& name, std::string& path) {
    path.clear();
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (name.empty() || HasLineBreak(name)) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED,
                               "A file name that is empty or holds a line break cannot be sent.");
    }
    char* escaped =
        curl_easy_escape(transfer->Handle(), name.data(), static_cast<int>(name.size()));
    if (escaped == nullptr) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "Out of memory.");
    }
    path = escaped;
    curl_free(escaped);
    return Result::Ok();
}

Result FtpConnection::ResumeFile(const std::string& name, std::int64_t from,
                                 std::unique_ptr<FtpRemoteFile>& file) {
    file.reset();
    std::string path;
    if (Result usable = UsablePath(name, path); !usable.ok()) {
        return usable;
    }
    listed.erase(name);
    for (;;) {
        Prepare(path);
        if (transfer->BeginUpload(from)) {
            auto fail = [this](CURLcode code, const char* text) {
                return Curl::FailRequest(*this, code, text);
            };
            file = std::make_unique<CurlRemoteFile>(*transfer, std::move(fail));
            return Result::Ok();
        }
        if (transfer->Result() == CURLE_FTP_WEIRD_PASV_REPLY && !activeMode) {
            activeMode = true;  // passive refused: the server connects to us instead
            continue;
        }
        return Curl::FailRequest(
            *this, transfer->Result() == CURLE_OK ? CURLE_UPLOAD_FAILED : transfer->Result());
    }
}

Result FtpConnection::SizeOf(const std::string& name, std::int64_t& size, bool& found) {
    size = -1;
    found = false;
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (!listingRefused) {
        RemoteFileStatus status;
        Result asked = FindByListing(name, status, found);
        if (!listingRefused) {
            if (!asked.ok() || !found || status.size >= 0) {
                size = found ? status.size : -1;
                return asked;
            }
            found = false;  // MLST named no size: SIZE may tell it
        }
    }
    if (sizeRefused) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The server tells the size of no file.");
    }
    return SizeInBinary(name, size, found);
}

Result FtpConnection::SizeInBinary(const std::string& name, std::int64_t& size, bool& found) {
    // A listing since may have put the server into ASCII mode, where SIZE counts (or
    // refuses) otherwise.
    Reply reply;
    if (Result sent = Command("TYPE I", reply); !sent.ok()) {
        return sent;
    }
    if (Result sent = Command("SIZE " + name, reply); !sent.ok()) {
        return sent;
    }
    if (Unknown(reply.code)) {
        sizeRefused = true;
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The server tells the size of no file.");
    }
    if (reply.code == 550) {
        return Result::Ok();
    }
    const std::string value = FtpReplyArgument(reply.line);
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), size);
    if (reply.code != 213 || error != std::errc() || end != value.data() + value.size()) {
        size = -1;
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    found = true;
    return Result::Ok();
}

Result FtpConnection::ReadToEnd(const std::string& name, std::int64_t from, std::int64_t limit,
                                std::string& bytes) {
    bytes.clear();
    std::string path;
    if (Result usable = UsablePath(name, path); !usable.ok()) {
        return usable;
    }
    // A read that ends before the file does makes libcurl close the control connection,
    // so the read goes to the end, wherever the server has it, not where SIZE says: libcurl
    // is told no size (and so sends no REST of its own), the REST goes just before RETR.
    const CurlStringList restart(
        curl_slist_append(nullptr, ("REST " + std::to_string(from)).c_str()));
    for (;;) {
        Prepare(path);
        CURL* handle = transfer->Handle();
        curl_easy_setopt(handle, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        curl_easy_setopt(handle, CURLOPT_PREQUOTE, restart.get());
        transfer->LimitBody(static_cast<std::size_t>(limit), 0);
        const CURLcode code = transfer->Perform();
        if (code == CURLE_FTP_WEIRD_PASV_REPLY && !activeMode) {
            activeMode = true;
            continue;
        }
        if (code != CURLE_OK) {
            return Curl::FailRequest(*this, code);
        }
        bytes = transfer->Body();
        return Result::Ok();
    }
}

Result FtpConnection::HashOf(const std::string& name, std::string& algorithm, std::string& hex) {
    algorithm.clear();
    hex.clear();
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    Reply reply;
    if (!featuresAsked) {
        if (Result sent = Command("FEAT", reply); !sent.ok()) {
            return sent;
        }
        featuresAsked = true;
        hashOffered =
            reply.code / 100 == 2 && ParseHashFeature(transfer->ReplyLines(), hashCommand);
        // HASH works with the algorithm selected for the connection: select ours once.
        if (hashOffered && !hashCommand.selection.empty()) {
            hashOffered = Simple("OPTS HASH " + hashCommand.selection).ok();
        }
    }
    // The older commands take a blank as the end of the name.
    if (!hashOffered || (hashCommand.command != "HASH" && name.find(' ') != std::string::npos)) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The server offers no command that hashes a file.");
    }
    if (Result sent = Command(hashCommand.command + " " + name, reply); !sent.ok()) {
        return sent;
    }
    const std::size_t digits = hashCommand.algorithm == "SHA256" ? 64
                               : hashCommand.algorithm == "SHA1" ? 40
                                                                 : 32;
    if (reply.code / 100 != 2 || !ParseHashReply(reply.line, digits, hex)) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    algorithm = hashCommand.algorithm;
    return Result::Ok();
}

CURLcode FtpConnection::Curl::Listing(FtpConnection& connection, const std::string& command,
                                      std::string& text) {
    CurlTransfer& transfer = *connection.transfer;
    const ListingLimits& limits = connection.listingLimits;
    for (;;) {
        connection.Prepare("");
        CURL* handle = transfer.Handle();
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, command.c_str());
        transfer.KeepBodyAsSent();
        ApplyListingLimits(transfer, limits);
        const CURLcode code = transfer.Perform();
        if (code == CURLE_FTP_WEIRD_PASV_REPLY && !connection.activeMode) {
            connection.activeMode = true;
            continue;
        }
        text = transfer.Body();
        return code;
    }
}

Result FtpConnection::List(const std::string& command, std::vector<RemoteEntry>& entries) {
    entries.clear();
    std::string text;
    const CURLcode code = Curl::Listing(*this, command, text);
    if (code != CURLE_OK) {
        const std::string limit = ListingLimitText(*transfer, code, listingLimits);
        return limit.empty() ? Curl::FailRequest(*this, code)
                             : InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, limit);
    }
    Expected<std::vector<RemoteEntry>> parsed = ParseListing(text, command.rfind("MLSD", 0) == 0);
    if (!parsed.ok()) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The listing is in a form Mavren does not understand (" +
                                   parsed.failure().text() + ").");
    }
    entries = std::move(*parsed);
    return Result::Ok();
}

Result FtpConnection::ListFolder(std::vector<RemoteEntry>& entries) {
    entries.clear();
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (!mlsdRefused) {
        Result listed = List("MLSD", entries);
        if (listed.ok()) {
            return FindLinks(entries);
        }
        if (!Unknown(LastReply().code) || transfer->BodyTooLong()) {
            return listed;
        }
        mlsdRefused = true;  // an older server: its long listing will do, and shows links
    }
    return List("LIST", entries);
}

Result FtpConnection::ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) {
    entries.clear();
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (mlsdRefused || HasLineBreak(folder)) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                               "The server cannot list a folder by its path.");
    }
    // MLSD takes the folder itself: no CWD on the way, a round trip less.
    Result listed = List("MLSD " + folder, entries);
    if (!listed.ok() && Unknown(LastReply().code)) {
        mlsdRefused = true;
    }
    return listed;
}

Result FtpConnection::FindLinks(std::vector<RemoteEntry>& entries) {
    if (std::none_of(entries.begin(), entries.end(),
                     [](const RemoteEntry& entry) { return entry.folder; })) {
        return Result::Ok();
    }
    std::vector<RemoteEntry> longListing;
    if (Result listed = List("LIST", longListing); !listed.ok()) {
        if (listed.kind() != Result::Kind::Refused) {
            return listed;
        }
        // Refused or unreadable: every folder may be a link.
        for (RemoteEntry& entry : entries) {
            entry.mayBeLink = entry.folder;
        }
        return Result::Ok();
    }
    std::set<std::string> links;
    for (const RemoteEntry& entry : longListing) {
        if (entry.link) {
            links.insert(entry.name);
        }
    }
    for (RemoteEntry& entry : entries) {
        if (entry.folder && links.count(entry.name) != 0) {
            entry.folder = false;
            entry.link = true;
        }
    }
    return Result::Ok();
}

Result FtpConnection::Command(const std::string& command, Reply& reply) {
    if (Result usable = Usable(); !usable.ok()) {
        return usable;
    }
    if (HasLineBreak(command)) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED,
                               "A name that holds a line break cannot be sent to an FTP server.");
    }
    Prepare("");
    curl_easy_setopt(transfer->Handle(), CURLOPT_NOBODY, 1L);
    // The asterisk keeps libcurl from treating a refusal as the connection's end; the
    // caller reads the reply.
    const CurlStringList quote(curl_slist_append(nullptr, ("*" + command).c_str()));
    curl_easy_setopt(transfer->Handle(), CURLOPT_QUOTE, quote.get());
    const CURLcode code = transfer->Perform();
    if (code != CURLE_OK) {
        return Curl::FailRequest(*this, code);
    }
    reply = LastReply();
    if (reply.code == 0) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED,
                               "The FTP server did not answer \"" + command.substr(0, 4) + "\".");
    }
    return Result::Ok();
}

FtpConnection::Reply FtpConnection::LastReply() const {
    const std::vector<std::string>& lines = transfer->ReplyLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string line = WithoutLineEnd(*it);
        if (const int code = FtpReplyCode(line)) {
            return {code, line};
        }
    }
    return {};
}

Result FtpConnection::Curl::FailRequest(FtpConnection& connection, CURLcode code,
                                        const char* text) {
    if (connection.transfer->StopRequested()) {
        // The stop ended the request; the connection may be anywhere now.
        connection.lost = true;
        return InternetStopped();
    }
    if (connection.lost) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, kConnectionLost);
    }
    if (text != nullptr) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, text);
    }
    const Reply reply = connection.LastReply();
    if (reply.code >= 400) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, connection.transfer->ErrorText(code));
}

void FtpConnection::Prepare(const std::string& path) {
    transfer->Prepare(rootUrl + path);
    CURL* handle = transfer->Handle();
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(handle, CURLOPT_USERNAME, username.c_str());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, password.c_str());
    if (activeMode) {
        curl_easy_setopt(handle, CURLOPT_FTPPORT, "-");
    }
    if (tls) {
        // Control and data connections both, or nothing at all.
        curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        // A TLS 1.3 server sends its session tickets after the client has begun to send:
        // a small file is often whole and its data connection closed by then, and the
        // tickets arriving at a closed socket reset the connection, which makes the server
        // drop the part of the file it has not read yet while it still answers 226. TLS
        // 1.2 has nothing after its handshake.
        curl_easy_setopt(handle, CURLOPT_SSLVERSION,
                         static_cast<long>(CURL_SSLVERSION_DEFAULT) |
                             static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
        if (loggedIn) {
            ApplyCheckedCertificate(handle, *certificateCheck);
        } else {
            ApplyCertificateCheck(handle, *certificateCheck);
        }
    }
}
