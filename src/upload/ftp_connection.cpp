#include "upload/ftp_connection.h"

#include "upload/ftp_replies.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/ascii.h"
#include "platform/format.h"

namespace {

constexpr long kConnectTimeoutSeconds = 30;
constexpr long kReplyTimeoutSeconds = 60;
// A transfer that moves nothing for this long is given up, so a vanished server
// cannot hold an upload forever.
constexpr long kStalledTransferSeconds = 60;

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

}  // namespace

// The remote file being written: hands each block to libcurl's upload and waits until
// libcurl has taken it.
class FtpConnection::RemoteFile final : public FtpRemoteFile {
  public:
    explicit RemoteFile(FtpConnection& connection) : connection(connection) {}
    ~RemoteFile() override {
        if (!closed) {
            Close();
        }
    }

    bool Write(const char* data, std::size_t size) override {
        if (closed || !connection.running) {
            return Ended();
        }
        connection.pending = std::string_view(data, size);
        curl_easy_pause(connection.handle, CURLPAUSE_CONT);
        connection.Pump([this] { return connection.pending.empty(); });
        if (!connection.pending.empty()) {
            connection.pending = {};
            return Ended();
        }
        return true;
    }

    bool Close() override {
        if (closed) {
            return closeResult;
        }
        closed = true;
        if (connection.running) {
            connection.endOfFile = true;
            curl_easy_pause(connection.handle, CURLPAUSE_CONT);
            connection.Pump(nullptr);
        }
        closeResult = connection.result == CURLE_OK || connection.FailRequest(connection.result);
        return closeResult;
    }

  private:
    // The transfer is over before the file was: say why.
    bool Ended() {
        if (connection.result != CURLE_OK) {
            return connection.FailRequest(connection.result);
        }
        return connection.Fail(ERROR_INTERNET_CONNECTION_ABORTED,
                               "The transfer ended before the whole file was sent.");
    }

    FtpConnection& connection;
    bool closed = false;
    bool closeResult = false;
};

FtpConnection::FtpConnection(std::shared_ptr<InternetSession> session)
    : session(std::move(session)), multi(curl_multi_init()), handle(curl_easy_init()) {}

FtpConnection::~FtpConnection() {
    Close();
}

std::unique_ptr<FtpConnection> FtpConnection::Open(std::shared_ptr<InternetSession> session,
                                                   const std::string& host,
                                                   const std::string& username,
                                                   const std::string& password,
                                                   std::string& failure) {
    if (!session) {
        failure = "The Internet session could not be set up.";
        return nullptr;
    }
    FtpAddress address;
    if (!ParseFtpHost(host, address, failure)) {
        return nullptr;
    }
    std::unique_ptr<FtpConnection> connection(new FtpConnection(std::move(session)));
    if (connection->multi == nullptr || connection->handle == nullptr) {
        failure = "The Internet session could not be set up.";
        return nullptr;
    }
    if (!connection->LogIn(address, username, password)) {
        failure = connection->LastErrorText();
        return nullptr;
    }
    return connection;
}

bool FtpConnection::LogIn(const FtpAddress& address, const std::string& user,
                          const std::string& secret) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    rootUrl = "ftp://" + (ipv6 ? "[" + address.host + "]" : address.host) + ":" +
              std::to_string(address.port) + "/";
    username = user;
    password = secret;
    if (HasLineBreak(user) || HasLineBreak(secret)) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED,
                    "A user name or password with a line break cannot be sent.");
    }
    Prepare("");
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    const CURLcode code = Perform();
    if (code != CURLE_OK) {
        return FailRequest(code);
    }
    loggedIn = true;
    return true;
}

void FtpConnection::Close() {
    if (closed) {
        return;
    }
    closed = true;
    if (running) {
        curl_multi_remove_handle(multi, handle);
        running = false;
    }
    // Cleaning up the multi handle logs out of the connections it keeps.
    if (multi != nullptr) {
        curl_multi_cleanup(multi);
        multi = nullptr;
    }
    if (handle != nullptr) {
        curl_easy_cleanup(handle);
        handle = nullptr;
    }
    curl_slist_free_all(quote);
    quote = nullptr;
}

bool FtpConnection::Usable() {
    if (closed) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED, "The FTP connection is closed.");
    }
    if (lost) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED, kConnectionLost);
    }
    if (running) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED, "A remote file is still open.");
    }
    return true;
}

bool FtpConnection::SetCurrentDirectory(const std::string& folder) {
    if (folder.empty()) {
        return Usable();  // the current folder; some servers refuse a bare CWD
    }
    Reply reply;
    if (!Command("CWD " + folder, reply)) {
        return false;
    }
    return reply.code / 100 == 2 || Fail(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
}

bool FtpConnection::CreateDirectory(const std::string& folder) {
    Reply reply;
    if (!Command("MKD " + folder, reply)) {
        return false;
    }
    return reply.code / 100 == 2 || Fail(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
}

bool FtpConnection::GetCurrentDirectory(std::string& folder) {
    Reply reply;
    if (!Command("PWD", reply)) {
        return false;
    }
    if (reply.code / 100 != 2 || !ParseQuotedFolder(reply.line, folder)) {
        return Fail(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    return true;
}

bool FtpConnection::FindFile(const std::string& name, RemoteFileStatus& status) {
    status = RemoteFileStatus{};
    if (!listingRefused) {
        bool answered = false;
        const bool found = FindByListing(name, status, answered);
        if (answered) {
            return found;
        }
        if (!listingRefused) {
            return false;  // the connection failed
        }
    }
    return FindBySizeAndTime(name, status);
}

// MLST: one command on the control connection gives the size and the time.
bool FtpConnection::FindByListing(const std::string& name, RemoteFileStatus& status,
                                  bool& answered) {
    Reply reply;
    if (!Command("MLST " + name, reply)) {
        return false;
    }
    if (reply.code == 500 || reply.code == 502 || reply.code == 504) {
        listingRefused = true;
        return false;
    }
    answered = true;
    if (reply.code / 100 != 2) {
        return false;
    }
    // The facts line: " type=file;size=1234;modify=20240102030405; name".
    for (const std::string& line : replyLines) {
        if (!line.empty() && line.front() == ' ') {
            return ParseListingFacts(line, status);
        }
    }
    return false;
}

// For servers without MLST: SIZE (in binary mode, where it counts bytes) and MDTM.
bool FtpConnection::FindBySizeAndTime(const std::string& name, RemoteFileStatus& status) {
    Reply reply;
    if (!binaryTypeSet) {
        if (!Command("TYPE I", reply)) {
            return false;
        }
        binaryTypeSet = true;
    }
    if (!Command("SIZE " + name, reply)) {
        return false;
    }
    if (reply.code != 213) {
        return false;
    }
    std::int64_t size = -1;
    const std::string value = FtpReplyArgument(reply.line);
    std::from_chars(value.data(), value.data() + value.size(), size);
    status.size = size;
    if (Command("MDTM " + name, reply) && reply.code == 213) {
        status.lastWriteTime = ParseFtpTime(FtpReplyArgument(reply.line));
    }
    return true;
}

std::unique_ptr<FtpRemoteFile> FtpConnection::OpenFile(const std::string& name) {
    if (!Usable()) {
        return nullptr;
    }
    if (name.empty() || HasLineBreak(name)) {
        Fail(ERROR_INTERNET_CONNECTION_ABORTED,
             "A file name that is empty or holds a line break cannot be sent.");
        return nullptr;
    }
    char* escaped = curl_easy_escape(handle, name.data(), static_cast<int>(name.size()));
    if (escaped == nullptr) {
        Fail(ERROR_INTERNET_CONNECTION_ABORTED, "Out of memory.");
        return nullptr;
    }
    const std::string path = escaped;
    curl_free(escaped);
    for (;;) {
        Prepare(path);
        curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle, CURLOPT_READFUNCTION, &FtpConnection::OnRead);
        curl_easy_setopt(handle, CURLOPT_READDATA, this);
        pending = {};
        readStarted = false;
        endOfFile = false;
        Start();
        Pump([this] { return readStarted; });
        if (running) {
            return std::make_unique<RemoteFile>(*this);
        }
        if (result == CURLE_FTP_WEIRD_PASV_REPLY && !activeMode) {
            activeMode = true;  // passive refused: the server connects to us instead
            continue;
        }
        FailRequest(result == CURLE_OK ? CURLE_UPLOAD_FAILED : result);
        return nullptr;
    }
}

bool FtpConnection::Command(const std::string& command, Reply& reply) {
    if (!Usable()) {
        return false;
    }
    if (HasLineBreak(command)) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED,
                    "A name that holds a line break cannot be sent to an FTP server.");
    }
    Prepare("");
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_slist_free_all(quote);
    // The asterisk keeps libcurl from treating a refusal as the connection's end; the
    // caller reads the reply.
    quote = curl_slist_append(nullptr, ("*" + command).c_str());
    curl_easy_setopt(handle, CURLOPT_QUOTE, quote);
    const CURLcode code = Perform();
    curl_slist_free_all(quote);
    quote = nullptr;
    if (code != CURLE_OK) {
        return FailRequest(code);
    }
    reply = LastReply();
    if (reply.code == 0) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED,
                    "The FTP server did not answer \"" + command.substr(0, 4) + "\".");
    }
    return true;
}

FtpConnection::Reply FtpConnection::LastReply() const {
    for (auto it = replyLines.rbegin(); it != replyLines.rend(); ++it) {
        const std::string line = WithoutLineEnd(*it);
        if (const int code = FtpReplyCode(line)) {
            return {code, line};
        }
    }
    return {};
}

bool FtpConnection::FailRequest(CURLcode code) {
    if (lost) {
        return Fail(ERROR_INTERNET_CONNECTION_ABORTED, kConnectionLost);
    }
    const Reply reply = LastReply();
    if (reply.code >= 400) {
        return Fail(ERROR_INTERNET_EXTENDED_ERROR, reply.line);
    }
    std::string text = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
    return Fail(ERROR_INTERNET_CONNECTION_ABORTED, WithoutLineEnd(text));
}

void FtpConnection::Prepare(const std::string& path) {
    curl_easy_reset(handle);
    session->Configure(handle);
    curl_easy_setopt(handle, CURLOPT_URL, (rootUrl + path).c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(handle, CURLOPT_USERNAME, username.c_str());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &FtpConnection::OnHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &FtpConnection::OnSocket);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &FtpConnection::OnPrerequest);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, kReplyTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStalledTransferSeconds);
    curl_easy_setopt(handle, CURLOPT_TCP_KEEPALIVE, 1L);
    // Through an HTTP proxy only a tunnel carries the FTP commands themselves.
    curl_easy_setopt(handle, CURLOPT_HTTPPROXYTUNNEL, 1L);
    if (activeMode) {
        curl_easy_setopt(handle, CURLOPT_FTPPORT, "-");
    }
}

void FtpConnection::Start() {
    replyLines.clear();
    errorBuffer[0] = '\0';
    controlSockets = 0;
    result = CURLE_OK;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        return;
    }
    running = true;
}

void FtpConnection::Pump(const std::function<bool()>& ready) {
    while (running) {
        int active = 0;
        if (curl_multi_perform(multi, &active) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            running = false;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
                result = message->data.result;
                running = false;
            }
        }
        if (!running) {
            curl_multi_remove_handle(multi, handle);
            return;
        }
        if (ready && ready()) {
            return;
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
}

CURLcode FtpConnection::Perform() {
    Start();
    Pump(nullptr);
    return result;
}

size_t FtpConnection::OnHeader(char* data, size_t size, size_t count, void* connection) {
    static_cast<FtpConnection*>(connection)->replyLines.emplace_back(data, size * count);
    return size * count;
}

int FtpConnection::OnSocket(void* connection, curl_socket_t, curlsocktype purpose) {
    if (purpose == CURLSOCKTYPE_IPCXN) {
        ++static_cast<FtpConnection*>(connection)->controlSockets;
    }
    return CURL_SOCKOPT_OK;
}

// Runs once the control connection is ready and before the request's commands: a
// connection opened for this request after the login means the old one is gone, and
// with it the server's current folder.
int FtpConnection::OnPrerequest(void* data, char*, char*, int, int) {
    auto* connection = static_cast<FtpConnection*>(data);
    if (connection->loggedIn && connection->controlSockets > 0) {
        connection->lost = true;
        return CURL_PREREQFUNC_ABORT;
    }
    return CURL_PREREQFUNC_OK;
}

size_t FtpConnection::OnRead(char* buffer, size_t size, size_t count, void* data) {
    auto* connection = static_cast<FtpConnection*>(data);
    connection->readStarted = true;
    if (connection->pending.empty()) {
        return connection->endOfFile ? 0 : CURL_READFUNC_PAUSE;
    }
    const std::size_t taken = std::min(size * count, connection->pending.size());
    std::copy_n(connection->pending.data(), taken, buffer);
    connection->pending.remove_prefix(taken);
    return taken;
}
