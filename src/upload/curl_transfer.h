#pragma once

// The libcurl side of a connection to a server: one transfer handle that every request
// of an upload reuses (so libcurl keeps the logged-in connection between requests),
// driven through a multi handle so that a remote file can be fed block by block, and
// stopped at once when the upload's stop flag is set.
//
// A stop or an Abort does not let libcurl drain what it and the system still hold for
// the server: the connection's sockets are reset, so the server keeps only what it had
// received, and the connection is gone. Progress is libcurl's own count of the bytes it
// sent, not of the bytes handed to it.
//
// A transfer belongs to the thread that uses it. It holds the Internet session (and so
// libcurl) for as long as it lives.

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "upload/internet_session.h"
#include "work/stop_flag.h"

// A libcurl string list (a request's quote commands), freed when it goes.
struct CurlStringListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlStringList = std::unique_ptr<curl_slist, CurlStringListFree>;

class CurlTransfer {
  public:
    explicit CurlTransfer(std::shared_ptr<InternetSession> session);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // False when libcurl could not make its handles.
    bool Ready() const { return multi != nullptr && handle != nullptr; }
    CURL* Handle() const { return handle; }

    // Requests end early, failing, once *flag is not 0; null for never.
    void SetStopFlag(const StopFlag* flag) { stopFlag = flag; }
    bool StopRequested() const;

    // Called when a connection is ready, before a request is sent; false refuses the
    // request. newConnections counts connections opened for this request so far.
    std::function<bool(int newConnections)> onPrerequest;

    // Resets the handle for a request to url: the session's settings, our callbacks and
    // time-outs. The caller adds what the protocol needs.
    void Prepare(const std::string& url);
    // For the prepared request: Body() gets the bytes as the server sent them. libcurl turns
    // every CR of an FTP listing into a line end (it reads listings as text), which would
    // cut a name holding one in two.
    void KeepBodyAsSent();
    // For the prepared request: it fails, and BodyTooLong() tells so, once the body passes
    // bytes or holds more than lines line ends.
    void LimitBody(std::size_t bytes, std::size_t lines);
    bool BodyTooLong() const { return bodyTooLong; }
    // Runs a prepared request to its end.
    CURLcode Perform();

    // Starts a prepared upload and waits until the server takes data: from byte from on
    // of a remote file that keeps what it has before (FTP APPE, an SFTP write at that
    // offset), or a new one for 0. Send then hands over the bytes from there. False when
    // the request ended instead (Result says why).
    bool BeginUpload(std::int64_t from = 0);
    // Hands data over and waits until libcurl has taken all of it. False when the
    // request ended or a stop came first.
    bool Send(std::string_view data);
    // Ends the file and waits for the server's answer.
    CURLcode EndUpload();
    // Ends the request and every connection at once (see above).
    void Abort();
    // Ends every connection without a word to the server: what libcurl would still say on
    // the way out (an FTP QUIT, an SSH goodbye) then fails at once instead of waiting on a
    // server that may never answer. What the system holds for the server is still sent.
    void Disconnect();

    bool Running() const { return running; }
    CURLcode Result() const { return result; }
    // Bytes of the current or last upload that libcurl has sent.
    std::int64_t BytesSent() const { return bytesSent; }
    // What the server said during the last request (FTP reply lines), line ends kept.
    const std::vector<std::string>& ReplyLines() const { return replyLines; }
    // What the last request received (a folder listing).
    const std::string& Body() const { return body; }
    // libcurl's text for the last request's failure.
    std::string ErrorText(CURLcode code) const;

  private:
    void Start();
    // Drives the request until it ends or ready() says so.
    void Pump(const std::function<bool()>& ready);
    bool NothingToWaitFor() const;
    void Finish(CURLcode code);

    static size_t OnHeader(char* data, size_t size, size_t count, void* transfer);
    static size_t OnWrite(char* data, size_t size, size_t count, void* transfer);
    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* transfer);
    // Counts received body bytes against the limits; false once past them.
    bool TakeBody(const char* data, std::size_t size);
    static int OnSocket(void* transfer, curl_socket_t socket, curlsocktype purpose);
    static int OnCloseSocket(void* transfer, curl_socket_t socket);
    static int OnPrerequest(void* transfer, char*, char*, int, int);
    static int OnSeek(void*, curl_off_t, int) { return CURL_SEEKFUNC_OK; }
    static size_t OnRead(char* buffer, size_t size, size_t count, void* transfer);
    static int OnProgress(void* transfer, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent);

    std::shared_ptr<InternetSession> session;
    CURLM* multi = nullptr;
    CURL* handle = nullptr;
    const StopFlag* stopFlag = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    std::vector<std::string> replyLines;
    std::string body;
    bool bodyAsSent = false;
    std::size_t bodyByteLimit = 0;  // 0 for none
    std::size_t bodyLineLimit = 0;
    std::size_t bodyBytes = 0;
    std::size_t bodyLines = 0;
    bool bodyTooLong = false;
    std::set<curl_socket_t> sockets;  // open sockets of every connection libcurl keeps
    int newConnections = 0;

    bool running = false;
    CURLcode result = CURLE_OK;

    // The remote file being written.
    std::string_view pending;  // handed over by Send and not yet taken by libcurl
    bool readStarted = false;  // libcurl asked for data: the server accepted the file
    bool endOfFile = false;
    std::int64_t bytesSent = 0;
};
