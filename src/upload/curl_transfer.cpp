#include "upload/curl_transfer.h"

#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr long kConnectTimeoutSeconds = 30;
constexpr long kReplyTimeoutSeconds = 60;
// A transfer that moves nothing for this long is given up, so a vanished server
// cannot hold an upload forever.
constexpr long kStalledTransferSeconds = 60;
// How long a wait for the network may last before the stop flag is looked at again.
constexpr int kStopCheckMilliseconds = 50;
constexpr int kIdleWaitMilliseconds = 1000;
// libcurl's own upload buffer, at its usual size: 128 KB and 512 KB blocks measured slower
// (bench/upload, 1 MB files).
constexpr long kUploadBufferBytes = 64 * 1024;
// How long to wait when libcurl names nothing to wait on even after running again (a
// resolver thread it gave no socket for, say).
constexpr int kIdleStepMilliseconds = 5;

}  // namespace

CurlTransfer::CurlTransfer(std::shared_ptr<InternetSession> session)
    : session(std::move(session)), multi(curl_multi_init()), handle(curl_easy_init()) {}

CurlTransfer::~CurlTransfer() {
    if (running) {
        curl_multi_remove_handle(multi, handle);
        running = false;
    }
    // Cleaning up the multi handle ends the connections it keeps (an FTP server gets
    // its QUIT); the socket callbacks still reach this object meanwhile.
    if (multi != nullptr) {
        curl_multi_cleanup(multi);
    }
    if (handle != nullptr) {
        curl_easy_cleanup(handle);
    }
}

bool CurlTransfer::StopRequested() const {
    return IsStopRequested(stopFlag);
}

void CurlTransfer::Prepare(const std::string& url) {
    curl_easy_reset(handle);
    bodyAsSent = false;
    bodyByteLimit = 0;
    bodyLineLimit = 0;
    session->Configure(handle);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnWrite);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &CurlTransfer::OnSocket);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, &CurlTransfer::OnCloseSocket);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &CurlTransfer::OnPrerequest);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, kReplyTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStalledTransferSeconds);
    curl_easy_setopt(handle, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(handle, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
    // Through an HTTP proxy only a tunnel carries the commands themselves.
    curl_easy_setopt(handle, CURLOPT_HTTPPROXYTUNNEL, 1L);
}

void CurlTransfer::KeepBodyAsSent() {
    // libcurl hands the data to the debug function as it came off the connection.
    bodyAsSent = true;
    curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &CurlTransfer::OnDebug);
    curl_easy_setopt(handle, CURLOPT_DEBUGDATA, this);
}

void CurlTransfer::LimitBody(std::size_t bytes, std::size_t lines) {
    bodyByteLimit = bytes;
    bodyLineLimit = lines;
}

CURLcode CurlTransfer::Perform() {
    Start();
    Pump(nullptr);
    return result;
}

bool CurlTransfer::BeginUpload(std::int64_t from) {
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    if (from > 0) {
        curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(from));
        // libcurl would skip the first bytes it reads; Send hands over only the rest.
        curl_easy_setopt(handle, CURLOPT_SEEKFUNCTION, &CurlTransfer::OnSeek);
    }
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, &CurlTransfer::OnRead);
    curl_easy_setopt(handle, CURLOPT_READDATA, this);
    pending = {};
    readStarted = false;
    endOfFile = false;
    bytesSent = 0;
    Start();
    Pump([this] { return readStarted; });
    return running;
}

bool CurlTransfer::Send(std::string_view data) {
    if (!running) {
        return false;
    }
    pending = data;
    curl_easy_pause(handle, CURLPAUSE_CONT);
    Pump([this] { return pending.empty(); });
    const bool taken = pending.empty();
    pending = {};
    return taken && !StopRequested();
}

CURLcode CurlTransfer::EndUpload() {
    if (running) {
        endOfFile = true;
        curl_easy_pause(handle, CURLPAUSE_CONT);
        Pump(nullptr);
    }
    return result;
}

void CurlTransfer::Abort() {
    // Reset rather than close: what the system still holds for the server is dropped,
    // and every wait of libcurl on these sockets ends at once.
    for (const curl_socket_t socket : sockets) {
        const linger reset{1, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::shutdown(socket, SHUT_RDWR);
    }
    if (running) {
        curl_multi_remove_handle(multi, handle);
        running = false;
    }
    if (result == CURLE_OK) {
        result = CURLE_ABORTED_BY_CALLBACK;
    }
}

void CurlTransfer::Disconnect() {
    for (const curl_socket_t socket : sockets) {
        ::shutdown(socket, SHUT_RDWR);
    }
}

std::string CurlTransfer::ErrorText(CURLcode code) const {
    std::string text = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

void CurlTransfer::Start() {
    replyLines.clear();
    body.clear();
    bodyBytes = 0;
    bodyLines = 0;
    bodyTooLong = false;
    errorBuffer[0] = '\0';
    newConnections = 0;
    result = CURLE_OK;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        return;
    }
    running = true;
}

void CurlTransfer::Finish(CURLcode code) {
    result = code;
    running = false;
    curl_multi_remove_handle(multi, handle);
}

// libcurl moves from one step of a request to the next inside curl_multi_perform, but
// after some steps (the reply to EPSV read together with the command, say) it has no
// socket to wait on and no timer due until the next call: a wait for the network then
// lasts the whole time-out. That wait is run at once instead; it happens when the reply
// came early, which a busy machine makes likely, so it used to cost up to a second a file.
bool CurlTransfer::NothingToWaitFor() const {
    fd_set readable;
    fd_set writable;
    fd_set failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    int highest = -1;
    curl_multi_fdset(multi, &readable, &writable, &failed, &highest);
    return highest < 0;
}

void CurlTransfer::Pump(const std::function<bool()>& ready) {
    bool ranAgain = false;
    while (running) {
        if (StopRequested()) {
            Abort();
            return;
        }
        int active = 0;
        if (curl_multi_perform(multi, &active) != CURLM_OK) {
            Finish(CURLE_OUT_OF_MEMORY);
            return;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
                Finish(message->data.result);
                return;
            }
        }
        if (ready && ready()) {
            return;
        }
        const bool idle = NothingToWaitFor();
        if (idle && !ranAgain) {
            ranAgain = true;
            continue;
        }
        ranAgain = false;
        const int wait = stopFlag != nullptr ? kStopCheckMilliseconds : kIdleWaitMilliseconds;
        curl_multi_poll(multi, nullptr, 0, idle ? kIdleStepMilliseconds : wait, nullptr);
    }
}

size_t CurlTransfer::OnHeader(char* data, size_t size, size_t count, void* transfer) {
    static_cast<CurlTransfer*>(transfer)->replyLines.emplace_back(data, size * count);
    return size * count;
}

bool CurlTransfer::TakeBody(const char* data, std::size_t size) {
    bodyBytes += size;
    bodyLines += static_cast<std::size_t>(std::count(data, data + size, '\n'));
    bodyTooLong = bodyTooLong || (bodyByteLimit > 0 && bodyBytes > bodyByteLimit) ||
                  (bodyLineLimit > 0 && bodyLines > bodyLineLimit);
    return !bodyTooLong;
}

size_t CurlTransfer::OnWrite(char* data, size_t size, size_t count, void* transfer) {
    auto* self = static_cast<CurlTransfer*>(transfer);
    if (self->bodyAsSent) {
        // Taken by OnDebug already; a body past its limits ends the request here.
        return self->bodyTooLong ? 0 : size * count;
    }
    if (!self->TakeBody(data, size * count)) {
        return 0;
    }
    self->body.append(data, size * count);
    return size * count;
}

int CurlTransfer::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* transfer) {
    auto* self = static_cast<CurlTransfer*>(transfer);
    if (type == CURLINFO_DATA_IN && self->TakeBody(data, size)) {
        self->body.append(data, size);
    }
    return 0;
}

int CurlTransfer::OnSocket(void* data, curl_socket_t socket, curlsocktype purpose) {
    auto* transfer = static_cast<CurlTransfer*>(data);
    transfer->sockets.insert(socket);
    if (purpose == CURLSOCKTYPE_IPCXN) {
        ++transfer->newConnections;
    }
    return CURL_SOCKOPT_OK;
}

int CurlTransfer::OnCloseSocket(void* data, curl_socket_t socket) {
    static_cast<CurlTransfer*>(data)->sockets.erase(socket);
    return ::close(socket);
}

int CurlTransfer::OnPrerequest(void* data, char*, char*, int, int) {
    auto* transfer = static_cast<CurlTransfer*>(data);
    if (transfer->onPrerequest && !transfer->onPrerequest(transfer->newConnections)) {
        return CURL_PREREQFUNC_ABORT;
    }
    return CURL_PREREQFUNC_OK;
}

size_t CurlTransfer::OnRead(char* buffer, size_t size, size_t count, void* data) {
    auto* transfer = static_cast<CurlTransfer*>(data);
    transfer->readStarted = true;
    if (transfer->StopRequested()) {
        return CURL_READFUNC_ABORT;
    }
    if (transfer->pending.empty()) {
        return transfer->endOfFile ? 0 : CURL_READFUNC_PAUSE;
    }
    const std::size_t taken = std::min(size * count, transfer->pending.size());
    std::copy_n(transfer->pending.data(), taken, buffer);
    transfer->pending.remove_prefix(taken);
    return taken;
}

int CurlTransfer::OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    auto* transfer = static_cast<CurlTransfer*>(data);
    transfer->bytesSent = sent;
    return transfer->StopRequested() ? 1 : 0;
}
