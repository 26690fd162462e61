#pragma once

// A remote file written through a CurlTransfer, for the FTP and the SFTP connection
// alike: each block is handed to libcurl's upload of the file, Close ends it, Abort
// resets the connection. fail turns a failure into the connection's Result
// (see FtpClient). Same thread as its connection.

#include <functional>

#include "upload/curl_transfer.h"
#include "upload/ftp_client.h"

class CurlRemoteFile final : public FtpRemoteFile {
  public:
    // fail(code, text): text explains a failure that libcurl has no code for, or is null.
    using FailFunction = std::function<Result(CURLcode code, const char* text)>;

    CurlRemoteFile(CurlTransfer& transfer, FailFunction fail)
        : transfer(transfer), fail(std::move(fail)) {}
    ~CurlRemoteFile() override;

    Result Write(const char* data, std::size_t size) override;
    Result Close() override;
    void Abort() override;
    std::int64_t BytesSent() const override { return transfer.BytesSent(); }

  private:
    // The transfer is over before the file was: say why.
    Result Ended();

    CurlTransfer& transfer;
    FailFunction fail;
    bool closed = false;
    Result closeResult = Result::Ok();
};
