#include "upload/s3_multipart.h"

#include <expat.h>
#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>

#include "platform/ascii.h"
#include "upload/content_hash.h"
#include "upload/internet_errors.h"

namespace {

// Pages of a listing we read before giving up on a server that never says it is done.
constexpr int kMostPages = 10000;

// An S3 answer's XML as far as we need it: the root's name, the text of the root's
// children, and of each child element called record the text of its own children.
struct XmlAnswer {
    std::string root;
    std::map<std::string, std::string> fields;
    std::vector<std::map<std::string, std::string>> records;
};

struct XmlReader {
    std::string_view record;
    XmlAnswer* answer = nullptr;
    int depth = 0;
    bool inRecord = false;
    std::map<std::string, std::string> current;
    std::string text;

    static void Start(void* data, const XML_Char* name, const XML_Char**) {
        auto* reader = static_cast<XmlReader*>(data);
        ++reader->depth;
        if (reader->depth == 1) {
            reader->answer->root = name;
        } else if (reader->depth == 2 && reader->record == name) {
            reader->inRecord = true;
            reader->current.clear();
        }
        reader->text.clear();
    }
    static void End(void* data, const XML_Char* name) {
        auto* reader = static_cast<XmlReader*>(data);
        if (reader->depth == 2 && reader->inRecord) {
            reader->answer->records.push_back(std::move(reader->current));
            reader->current.clear();
            reader->inRecord = false;
        } else if (reader->depth == 2) {
            reader->answer->fields[name] = reader->text;
        } else if (reader->depth == 3 && reader->inRecord) {
            reader->current[name] = reader->text;
        }
        --reader->depth;
        reader->text.clear();
    }
    static void Text(void* data, const XML_Char* text, int length) {
        static_cast<XmlReader*>(data)->text.append(text, static_cast<std::size_t>(length));
    }
};

struct ParserFree {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

bool ReadXml(const std::string& xml, std::string_view record, XmlAnswer& answer) {
    answer = XmlAnswer();
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    if (!parser) {
        return false;
    }
    XmlReader reader;
    reader.record = record;
    reader.answer = &answer;
    XML_SetUserData(parser.get(), &reader);
    XML_SetElementHandler(parser.get(), &XmlReader::Start, &XmlReader::End);
    XML_SetCharacterDataHandler(parser.get(), &XmlReader::Text);
    return XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& name) {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

template <typename Integer>
bool Number(const std::string& text, Integer& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

Result Unreadable(const std::string& what) {
    return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR,
                           what + ": the server's answer is not what S3 sends.");
}

// Escapes text for an XML element.
std::string XmlText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
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
    XmlAnswer error;
    if (code.empty() && response.body.find("<Error>") != std::string::npos &&
        ReadXml(response.body, {}, error) && error.root == "Error") {
        code = Field(error.fields, "Code");
        message = Field(error.fields, "Message");
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
        XmlAnswer answer;
        if (!ReadXml(response.body, "Upload", answer) ||
            answer.root != "ListMultipartUploadsResult") {
            return Unreadable(what);
        }
        for (const auto& upload : answer.records) {
            // The prefix also brings the uploads of "a.mp4.old" for "a.mp4".
            if (Field(upload, "Key") == key && !Field(upload, "UploadId").empty()) {
                uploads.push_back({Field(upload, "UploadId"), Field(upload, "Initiated")});
            }
        }
        if (Field(answer.fields, "IsTruncated") != "true") {
            std::stable_sort(uploads.begin(), uploads.end(),
                             [](const S3UnfinishedUpload& a, const S3UnfinishedUpload& b) {
                                 return a.initiated < b.initiated;
                             });
            return Result::Ok();
        }
        const std::string nextKey = Field(answer.fields, "NextKeyMarker");
        const std::string nextId = Field(answer.fields, "NextUploadIdMarker");
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
        XmlAnswer answer;
        if (!ReadXml(response.body, "Part", answer) || answer.root != "ListPartsResult") {
            return Unreadable(what);
        }
        for (const auto& part : answer.records) {
            S3Part got;
            got.etag = Field(part, "ETag");
            if (!Number(Field(part, "PartNumber"), got.number) ||
                !Number(Field(part, "Size"), got.size)) {
                return Unreadable(what);
            }
            parts.push_back(std::move(got));
        }
        if (Field(answer.fields, "IsTruncated") != "true") {
            std::sort(parts.begin(), parts.end(),
                      [](const S3Part& a, const S3Part& b) { return a.number < b.number; });
            return Result::Ok();
        }
        const std::string next = Field(answer.fields, "NextPartNumberMarker");
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
    XmlAnswer answer;
    if (!ReadXml(response.body, {}, answer) || answer.root != "InitiateMultipartUploadResult" ||
        (uploadId = Field(answer.fields, "UploadId")).empty()) {
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
                XmlText(part.etag) + "</ETag></Part>";
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
