#include "upload/curl_remote_file.h"

CurlRemoteFile::~CurlRemoteFile() {
    if (!closed) {
        // Only a file given up on is closed here; whoever needed its outcome closed it first.
        (void)Close();
    }
}

Result CurlRemoteFile::Write(const char* data, std::size_t size) {
    if (closed || !transfer.Send(std::string_view(data, size))) {
        return Ended();
    }
    return Result::Ok();
}

Result CurlRemoteFile::Close() {
    if (closed) {
        return closeResult;
    }
    closed = true;
    const CURLcode code = transfer.EndUpload();
    closeResult = code == CURLE_OK ? Result::Ok() : fail(code, nullptr);
    return closeResult;
}

void CurlRemoteFile::Abort() {
    closed = true;
    closeResult = Result::Failure({});
    transfer.Abort();
}

Result CurlRemoteFile::Ended() {
    if (transfer.StopRequested()) {
        return fail(CURLE_ABORTED_BY_CALLBACK, "The upload was stopped.");
    }
    if (transfer.Result() != CURLE_OK) {
        return fail(transfer.Result(), nullptr);
    }
    return fail(CURLE_SEND_ERROR, "The transfer ended before the whole file was sent.");
}
