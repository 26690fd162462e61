#include "upload/s3_multipart.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>

#include "platform/ascii.h"
#include "upload/content_hash.h"
#include "upload/internet_errors.h"
#include "upload/s3_xml.h"

namespace {

// Pages of a listing we read before giving up on a server that never says it is done.
constexpr int kMostPages = 10000;

template <typename Integer>
bool Number(const std::string& text, Integer& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

Result Unreadable(const std::string& what) {
    return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                           what + ": the server's answer is not what S3 sends.");
}

Result Ask(S3Connection& connection, const S3Request& request, S3Response& response,
           const std::string& what) {
    if (const Result sent = connection.Send(request, response); !sent.ok()) {
        return sent;
    }
    return S3Answer(response, what);
}

}  // namespace

S3Md5 S3Md5Of(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    static constexpr char kDigits[] = "0123456789abcdef";
    S3Md5 md5;
    for (unsigned int i = 0; i < length; ++i) {
        md5.hex += kDigits[digest[i] >> 4];
        md5.hex += kDigits[digest[i] & 15];
    }
    md5.base64.resize(4 * ((length + 2) / 3));
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(md5.base64.data()), digest,
                                        static_cast<int>(length));
    md5.base64.resize(static_cast<std::size_t>(std::max(written, 0)));
    return md5;
}

bool S3EtagIsMd5(std::string_view etag, const std::string& hex) {
    if (etag.size() >= 2 && etag.front() == '"' && etag.back() == '"') {
        etag = etag.substr(1, etag.size() - 2);
    }
    return !hex.empty() && EqualsIgnoringCase(etag, hex);
}

Result S3Answer(const S3Response& response, const std::string& what) {
    std::string code = response.errorCode;
    std::string message = response.errorMessage;
    // A request that takes long (CompleteMultipartUpload) may fail after a 200 has gone.
    XmlElement error;
    if (code.empty() && response.body.find("<Error>") != std::string::npos &&
        ParseXml(response.body, error) && error.name == "Error") {
        code = error.ChildText("Code");
        message = error.ChildText("Message");
    }
    if (response.status >= 200 && response.status < 300 && code.empty()) {
        return Result::Ok();
    }
    std::string text = what + ": ";
    if (code.empty()) {
        text += "HTTP status " + std::to_string(response.status);
    } else {
        text += code;
        if (!message.empty()) {
            text += " (" + message + ")";
        }
    }
    text += ".";
    const bool passing = response.status >= 500 || response.status == 429 ||
                         response.status == 408 || code == "SlowDown" || code == "InternalError" ||
                         code == "ServiceUnavailable";
    return InternetFailure(
        passing ? ERROR_INTERNET_CONNECTION_ABORTED : ERROR_INTERNET_EXTENDED_ERROR,
        std::move(text));
}

S3Request S3PutObjectRequest(const std::string& key, std::string_view bytes,
                             std::vector<std::pair<std::string, std::string>> headers) {
    ContentHash sha256("SHA256");
    sha256.Add(bytes);
    headers.emplace_back("Content-MD5", S3Md5Of(bytes).base64);
    headers.emplace_back("x-amz-meta-sha256", sha256.Finish());
    S3Request request;
    request.method = "PUT";
    request.key = key;
    request.headers = std::move(headers);
    request.body = bytes.data();
    request.bodySize = bytes.size();
    return request;
}

Result S3ListUnfinishedUploads(S3Connection& connection, const std::string& key,
                               std::vector<S3UnfinishedUpload>& uploads) {
    uploads.clear();
    const std::string what = "Listing the unfinished uploads of \"" + key + "\"";
    std::string keyMarker;
    std::string idMarker;
    for (int page = 0; page < kMostPages; ++page) {
        S3Request request;
        request.query = {{"uploads", ""}, {"prefix", key}};
        if (!keyMarker.empty()) {
            request.query.emplace_back("key-marker", keyMarker);
            request.query.emplace_back("upload-id-marker", idMarker);
        }
        S3Response response;
        if (const Result asked = Ask(connection, request, response, what); !asked.ok()) {
            return asked;
        }
        XmlElement answer;
        if (!ParseXml(response.body, answer) || answer.name != "ListMultipartUploadsResult") {
            return Unreadable(what);
        }
        for (const XmlElement& upload : answer.children) {
            // The prefix also brings the uploads of "a.mp4.old" for "a.mp4".
            if (upload.name == "Upload" && upload.ChildText("Key") == key &&
                !upload.ChildText("UploadId").empty()) {
                uploads.push_back({upload.ChildText("UploadId"), upload.ChildText("Initiated")});
            }
        }
        if (answer.ChildText("IsTruncated") != "true") {
            std::stable_sort(uploads.begin(), uploads.end(),
                             [](const S3UnfinishedUpload& a, const S3UnfinishedUpload& b) {
                                 return a.initiated < b.initiated;
                             });
            return Result::Ok();
        }
        const std::string nextKey = answer.ChildText("NextKeyMarker");
        const std::string nextId = answer.ChildText("NextUploadIdMarker");
        if (nextKey.empty() || (nextKey == keyMarker && nextId == idMarker)) {
            return Unreadable(what);
        }
        keyMarker = nextKey;
        idMarker = nextId;
    }
    return Unreadable(what);
}

Result S3ListParts(S3Connection& connection, const std::string& key, const std::string& uploadId,
                   std::vector<S3Part>& parts) {
    parts.clear();
    const std::string what = "Listing the parts sent of \"" + key + "\"";
    std::string marker;
    for (int page = 0; page < kMostPages; ++page) {
        S3Request request;
        request.key = key;
        request.query = {{"uploadId", uploadId}};
        if (!marker.empty()) {
            request.query.emplace_back("part-number-marker", marker);
        }
        S3Response response;
        if (const Result asked = Ask(connection, request, response, what); !asked.ok()) {
            return asked;
        }
        XmlElement answer;
        if (!ParseXml(response.body, answer) || answer.name != "ListPartsResult") {
            return Unreadable(what);
        }
        for (const XmlElement& part : answer.children) {
            if (part.name != "Part") {
                continue;
            }
            S3Part got;
            got.etag = part.ChildText("ETag");
            if (!Number(part.ChildText("PartNumber"), got.number) ||
                !Number(part.ChildText("Size"), got.size)) {
                return Unreadable(what);
            }
            parts.push_back(std::move(got));
        }
        if (answer.ChildText("IsTruncated") != "true") {
            std::sort(parts.begin(), parts.end(),
                      [](const S3Part& a, const S3Part& b) { return a.number < b.number; });
            return Result::Ok();
        }
        const std::string next = answer.ChildText("NextPartNumberMarker");
        if (next.empty() || next == marker) {
            return Unreadable(what);
        }
        marker = next;
    }
    return Unreadable(what);
}

Result S3CreateMultipartUpload(S3Connection& connection, const std::string& key,
                               const std::vector<std::pair<std::string, std::string>>& headers,
                               std::string& uploadId) {
    uploadId.clear();
    const std::string what = "Starting the upload of \"" + key + "\" in parts";
    S3Request request;
    request.method = "POST";
    request.key = key;
    request.query = {{"uploads", ""}};
    request.headers = headers;
    S3Response response;
    if (const Result asked = Ask(connection, request, response, what); !asked.ok()) {
        return asked;
    }
    XmlElement answer;
    if (!ParseXml(response.body, answer) || answer.name != "InitiateMultipartUploadResult" ||
        (uploadId = answer.ChildText("UploadId")).empty()) {
        return Unreadable(what);
    }
    return Result::Ok();
}

Result S3UploadPart(S3Connection& connection, const std::string& key, const std::string& uploadId,
                    int number, std::string_view bytes, const S3Md5& md5, std::string& etag) {
    etag.clear();
    const std::string what = "Sending part " + std::to_string(number) + " of \"" + key + "\"";
    S3Request request;
    request.method = "PUT";
    request.key = key;
    request.query = {{"partNumber", std::to_string(number)}, {"uploadId", uploadId}};
    request.headers = {{"Content-MD5", md5.base64}};
    request.body = bytes.data();
    request.bodySize = bytes.size();
    S3Response response;
    if (const Result asked = Ask(connection, request, response, what); !asked.ok()) {
        return asked;
    }
    etag = response.Header("etag");
    return etag.empty() ? Unreadable(what) : Result::Ok();
}

Result S3CompleteMultipartUpload(S3Connection& connection, const std::string& key,
                                 const std::string& uploadId, const std::vector<S3Part>& parts) {
    std::string body = "<CompleteMultipartUpload>";
    for (const S3Part& part : parts) {
        body += "<Part><PartNumber>" + std::to_string(part.number) + "</PartNumber><ETag>" +
                XmlEscaped(part.etag) + "</ETag></Part>";
    }
    body += "</CompleteMultipartUpload>";
    S3Request request;
    request.method = "POST";
    request.key = key;
    request.query = {{"uploadId", uploadId}};
    request.headers = {{"Content-Type", "application/xml"}};
    request.body = body.data();
    request.bodySize = body.size();
    S3Response response;
    return Ask(connection, request, response, "Completing \"" + key + "\"");
}

Result S3AbortMultipartUpload(S3Connection& connection, const std::string& key,
                              const std::string& uploadId) {
    S3Request request;
    request.method = "DELETE";
    request.key = key;
    request.query = {{"uploadId", uploadId}};
    S3Response response;
    return Ask(connection, request, response, "Abandoning an earlier upload of \"" + key + "\"");
}
