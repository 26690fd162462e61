#include "upload/s3_request.h"

#include <algorithm>

#include "platform/ascii.h"
#include "upload/content_hash.h"
#include "upload/curl_transfer.h"
#include "upload/internet_errors.h"
#include "upload/s3_xml.h"

namespace {

// An answer larger than this is no answer Mavren asked for (a listing page of 1,000 keys
// stays well below a megabyte).
constexpr std::size_t kLongestAnswer = 64 * 1024 * 1024;

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string Encode(const std::string& text, bool keepSlash) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (Unreserved(byte) || (keepSlash && c == '/')) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool HasHeader(const S3Request& request, const std::string& lowerName) {
    return std::any_of(request.headers.begin(), request.headers.end(), [&](const auto& header) {
        return AsciiLowerCase(header.first) == lowerName;
    });
}

// The header lines of the last answer: a "100 Continue" before it starts them again.
std::vector<std::pair<std::string, std::string>> AnswerHeaders(
    const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> headers;
    for (const std::string& line : lines) {
        if (line.rfind("HTTP/", 0) == 0) {
            headers.clear();
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        headers.emplace_back(AsciiLowerCase(Trimmed(line.substr(0, colon))),
                             Trimmed(line.substr(colon + 1)));
    }
    return headers;
}

}  // namespace

std::string S3EncodeKey(const std::string& key) {
    return Encode(key, true);
}

std::string S3CanonicalQuery(std::vector<std::pair<std::string, std::string>> query) {
    for (auto& [name, value] : query) {
        name = Encode(name, false);
        value = Encode(value, false);
    }
    std::sort(query.begin(), query.end());
    std::string canonical;
    for (const auto& [name, value] : query) {
        canonical += (canonical.empty() ? "" : "&") + name + "=" + value;
    }
    return canonical;
}

std::string S3Response::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

struct S3Connection::State {
    State(std::shared_ptr<InternetSession> session, S3Endpoint endpoint)
        : endpoint(std::move(endpoint)), transfer(std::move(session)) {}

    S3Endpoint endpoint;
    CurlTransfer transfer;
};

S3Connection::S3Connection(std::shared_ptr<InternetSession> session, S3Endpoint endpoint)
    : state(std::make_unique<State>(std::move(session), std::move(endpoint))) {}

S3Connection::~S3Connection() = default;

const S3Endpoint& S3Connection::Endpoint() const {
    return state->endpoint;
}

void S3Connection::SetStopFlag(const StopFlag* flag) {
    state->transfer.SetStopFlag(flag);
}

void S3Connection::Abort() {
    state->transfer.Abort();
}

Result S3Connection::Send(const S3Request& request, S3Response& response) {
    response = S3Response{};
    CurlTransfer& transfer = state->transfer;
    const S3Endpoint& endpoint = state->endpoint;
    if (!transfer.Ready()) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED,
                               "The Internet session could not be set up.");
    }
    std::string url = (endpoint.https ? "https://" : "http://") + endpoint.host + "/" +
                      S3EncodeKey(endpoint.bucket);
    if (!request.key.empty()) {
        url += "/" + S3EncodeKey(request.key);
    }
    // libcurl sends the query as it is given, and signs it so: it must be in S3's canonical
    // form already, or the server's signature differs.
    const std::string query = S3CanonicalQuery(request.query);
    if (!query.empty()) {
        url += "?" + query;
    }
    transfer.Prepare(url);
    CURL* handle = transfer.Handle();
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, endpoint.https ? "https" : "http");
    // Without it libcurl folds "/./" and "/../" in a key, and signs what it sends.
    curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
    const std::string provider = "aws:amz:" + endpoint.region + ":s3";
    curl_easy_setopt(handle, CURLOPT_AWS_SIGV4, provider.c_str());
    curl_easy_setopt(handle, CURLOPT_USERNAME, endpoint.accessKey.c_str());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, endpoint.secret.c_str());

    // libcurl signs the headers given here and adds no x-amz-content-sha256 of its own.
    // None is blank: a blank header (the usual way to keep libcurl's "Expect:" out) is
    // signed, yet never sent.
    ContentHash payload("SHA256");
    payload.Add(std::string_view(request.body != nullptr ? request.body : "", request.bodySize));
    CurlStringList headers(
        curl_slist_append(nullptr, ("x-amz-content-sha256: " + payload.Finish()).c_str()));
    for (const auto& [name, value] : request.headers) {
        curl_slist_append(headers.get(), (name + ": " + value).c_str());
    }
    const bool withBody = request.method == "PUT" || request.method == "POST";
    if (withBody && !HasHeader(request, "content-type")) {
        // Else libcurl names a form.
        curl_slist_append(headers.get(), "Content-Type: application/octet-stream");
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());

    if (request.method == "HEAD") {
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    } else if (request.method != "GET") {
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
    if (withBody) {
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.bodySize));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body != nullptr ? request.body : "");
    }
    transfer.LimitBody(kLongestAnswer, 0);

    const CURLcode code = transfer.Perform();
    if (code != CURLE_OK) {
        if (transfer.StopRequested()) {
            return InternetStopped();
        }
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED,
                               transfer.BodyTooLong()
                                   ? "The server's answer was far longer than any Mavren asked for."
                                   : transfer.ErrorText(code));
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
    response.headers = AnswerHeaders(transfer.ReplyLines());
    response.body = transfer.Body();
    XmlElement document;
    if (response.status >= 300 && ParseXml(response.body, document) && document.name == "Error") {
        response.errorCode = document.ChildText("Code");
        response.errorMessage = document.ChildText("Message");
    }
    return Result::Ok();
}
