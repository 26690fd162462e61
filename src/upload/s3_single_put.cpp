// Until the object writer with multipart uploads is in: every object in one PUT, its
// bytes kept in memory until Close.
#include "upload/content_hash.h"
#include "upload/s3_object_writer.h"

#include <openssl/evp.h>

namespace {

std::string Md5Base64(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    std::string encoded(4 * ((length + 2) / 3) + 1, '\0');
    encoded.resize(static_cast<std::size_t>(EVP_EncodeBlock(
        reinterpret_cast<unsigned char*>(encoded.data()), digest, static_cast<int>(length))));
    return encoded;
}

class SinglePut final : public FtpRemoteFile {
  public:
    SinglePut(S3Connection& connection, std::string key)
        : connection(connection), key(std::move(key)) {}

    Result Write(const char* data, std::size_t size) override {
        bytes.append(data, size);
        return Result::Ok();
    }

    Result Close() override {
        if (closed) {
            return Result::Ok();
        }
        closed = true;
        ContentHash hash("SHA256");
        hash.Add(bytes);
        S3Request request;
        request.method = "PUT";
        request.key = key;
        request.headers = {{"Content-MD5", Md5Base64(bytes)}, {"x-amz-meta-sha256", hash.Finish()}};
        request.body = bytes.data();
        request.bodySize = bytes.size();
        S3Response response;
        if (Result sent = connection.Send(request, response); !sent.ok()) {
            return sent;
        }
        if (response.status != 200) {
            return InternetFailure(response.status >= 500 ? ERROR_INTERNET_CONNECTION_ABORTED
                                                          : ERROR_INTERNET_EXTENDED_ERROR,
                                   response.errorCode + ": " + response.errorMessage);
        }
        sent = static_cast<std::int64_t>(bytes.size());
        return Result::Ok();
    }

    void Abort() override { closed = true; }
    std::int64_t BytesSent() const override { return sent; }

  private:
    S3Connection& connection;
    std::string key;
    std::string bytes;
    std::int64_t sent = 0;
    bool closed = false;
};

}  // namespace

std::unique_ptr<FtpRemoteFile> OpenS3Object(S3Connection& connection, S3ConnectionMaker more,
                                            int partsAtOnce, const std::string& key) {
    (void)more;
    (void)partsAtOnce;
    return std::make_unique<SinglePut>(connection, key);
}
