#include "upload/s3_client.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "upload/remote_paths.h"
#include "upload/s3_multipart.h"
#include "upload/s3_xml.h"

namespace {

Result Refused(const std::string& text) {
    return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, text);
}

// "2026-12-10T07:01:02.000Z", as listings give times; -1 for what is not one.
std::time_t ListingTime(const std::string& text) {
    std::tm parts{};
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &parts.tm_year, &parts.tm_mon,
                    &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec) != 6) {
        return -1;
    }
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    return timegm(&parts);
}

// A size as a listing or a header gives it; -1 for what is not one.
std::int64_t ByteCount(const std::string& digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        digits.size() > 18) {
        return -1;
    }
    return std::strtoll(digits.c_str(), nullptr, 10);
}

// The key of every object below folder ("" for the bucket's top): "site/", or "".
std::string FolderKey(const std::string& key) {
    return key.empty() ? key : key + "/";
}

}  // namespace

std::string S3ErrorText(const S3Response& response) {
    if (response.errorCode.empty()) {
        return "the server answered with HTTP status " + std::to_string(response.status);
    }
    return response.errorMessage.empty() ? response.errorCode
                                         : response.errorCode + ": " + response.errorMessage;
}

S3Client::S3Client(std::unique_ptr<S3Connection> connection, S3ConnectionMaker more,
                   int partsAtOnce, S3ClientLimits limits)
    : connection(std::move(connection)),
      more(std::move(more)),
      partsAtOnce(partsAtOnce),
      limits(limits) {}

bool S3Client::KeyOf(const std::string& path, std::string& key) const {
    // A name of the current folder is taken as it is: "." and ".." are names of objects too.
    const std::string full = path.find('/') == std::string::npos
                                 ? (current == "/" ? "/" : current + "/") + path
                                 : RemoteFolderPath(current, path);
    const std::string top = "/" + connection->Endpoint().bucket;
    if (full == top) {
        key.clear();
        return true;
    }
    if (full.rfind(top + "/", 0) != 0) {
        return false;
    }
    key = full.substr(top.size() + 1);
    return true;
}

Result S3Client::Ask(const S3Request& request, S3Response& response, bool notFoundIsAnswer) {
    if (!connection) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "The connection is closed.");
    }
    if (Result sent = connection->Send(request, response); !sent.ok()) {
        return sent;
    }
    if ((response.status >= 200 && response.status < 300) ||
        (notFoundIsAnswer && response.status == 404)) {
        return Result::Ok();
    }
    // A busy or failing server is a connection to try again; anything else is its refusal.
    return InternetFailure(
        response.status >= 500 ? ERROR_INTERNET_CONNECTION_ABORTED : ERROR_INTERNET_EXTENDED_ERROR,
        S3ErrorText(response));
}

Result S3Client::SetCurrentDirectory(const std::string& folder) {
    const std::string target = RemoteFolderPath(current, folder);
    const std::string top = "/" + (connection ? connection->Endpoint().bucket : std::string());
    if (target != "/" && target != top && target.rfind(top + "/", 0) != 0) {
        return Refused("\"" + target + "\" is not in the bucket \"" + top.substr(1) + "\".");
    }
    current = target;
    return Result::Ok();
}

Result S3Client::CreateDirectory(const std::string& folder) {
    std::string key;
    return KeyOf(folder, key) ? Result::Ok() : Refused("\"" + folder + "\" is not in the bucket.");
}

Result S3Client::GetCurrentDirectory(std::string& folder) {
    folder = current;
    return Result::Ok();
}

Result S3Client::Head(const std::string& key, S3Response& response, bool& found) {
    S3Request request;
    request.method = "HEAD";
    request.key = key;
    Result asked = Ask(request, response, true);
    found = asked.ok() && response.status != 404;
    return asked;
}

Result S3Client::ObjectKey(const std::string& name, std::string& key) const {
    if (name.empty() || !KeyOf(name, key) || key.empty()) {
        return Refused("\"" + name + "\" is not an object of the bucket.");
    }
    return Result::Ok();
}

Result S3Client::FindFile(const std::string& name, RemoteFileStatus& status, bool& found) {
    status = RemoteFileStatus{};
    found = false;
    std::string key;
    if (Result named = ObjectKey(name, key); !named.ok()) {
        return named;
    }
    S3Response response;
    Result asked = Head(key, response, found);
    if (found) {
        status.size = ByteCount(response.Header("content-length"));
        status.lastWriteTime = curl_getdate(response.Header("last-modified").c_str(), nullptr);
    }
    return asked;
}

Result S3Client::OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) {
    file.reset();
    if (!connection) {
        return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "The connection is closed.");
    }
    std::string key;
    if (Result named = ObjectKey(name, key); !named.ok()) {
        return named;
    }
    file = OpenS3Object(*connection, more, partsAtOnce, key, stop);
    return Result::Ok();
}

Result S3Client::HashOf(const std::string& name, std::string& algorithm, std::string& hex) {
    algorithm.clear();
    hex.clear();
    std::string key;
    if (Result named = ObjectKey(name, key); !named.ok()) {
        return named;
    }
    S3Response response;
    bool found = false;
    if (Result asked = Head(key, response, found); !asked.ok()) {
        return asked;
    }
    hex = found ? response.Header("x-amz-meta-sha256") : std::string();
    if (hex.empty()) {
        return Refused(found ? "The object carries no hash of its content."
                             : "The object \"" + name + "\" is not there.");
    }
    algorithm = "SHA256";
    return Result::Ok();
}

Result S3Client::ListFolder(std::vector<RemoteEntry>& entries) {
    return ListFolderAt(current, entries);
}

Result S3Client::ListFolderAt(const std::string& folder, std::vector<RemoteEntry>& entries) {
    entries.clear();
    std::string key;
    if (!KeyOf(folder, key)) {
        return Refused("\"" + folder + "\" is not in the bucket.");
    }
    // With the trailing "/" a folder "site" holds nothing of "site-old/".
    const std::string prefix = FolderKey(key);
    std::string token;
    do {
        S3Request request;
        request.query = {{"list-type", "2"},
                         {"delimiter", "/"},
                         {"prefix", prefix},
                         {"max-keys", std::to_string(limits.listingPage)}};
        if (!token.empty()) {
            request.query.emplace_back("continuation-token", token);
        }
        S3Response response;
        if (Result asked = Ask(request, response); !asked.ok()) {
            entries.clear();
            return asked;
        }
        XmlElement page;
        if (!ParseXml(response.body, page) || page.name != "ListBucketResult") {
            entries.clear();
            return Refused("The listing is in a form Mavren does not understand.");
        }
        // Each name once: an entry outside the folder, or the folder's own marker, is none.
        const auto add = [&](const std::string& full, bool isFolder) -> RemoteEntry* {
            if (full.size() <= prefix.size() || full.compare(0, prefix.size(), prefix) != 0) {
                return nullptr;
            }
            std::string name = full.substr(prefix.size());
            if (isFolder) {
                name.pop_back();
            }
            if (name.empty() || name.find('/') != std::string::npos) {
                return nullptr;
            }
            entries.push_back(RemoteEntry{name, isFolder, false, false, {}, {}});
            return &entries.back();
        };
        for (const XmlElement& item : page.children) {
            if (item.name == "Contents") {
                if (RemoteEntry* entry = add(item.ChildText("Key"), false)) {
                    entry->status.size = ByteCount(item.ChildText("Size"));
                    entry->status.lastWriteTime = ListingTime(item.ChildText("LastModified"));
                }
            } else if (item.name == "CommonPrefixes") {
                const std::string inner = item.ChildText("Prefix");
                if (!inner.empty() && inner.back() == '/') {
                    add(inner, true);
                }
            }
        }
        const bool more = page.ChildText("IsTruncated") == "true";
        token = more ? page.ChildText("NextContinuationToken") : std::string();
        if (more && token.empty()) {
            entries.clear();
            return Refused("The listing broke off: the server gave no way to its next page.");
        }
    } while (!token.empty());
    return Result::Ok();
}

Result S3Client::DeleteFile(const std::string& name) {
    S3Request request;
    request.method = "DELETE";
    if (Result named = ObjectKey(name, request.key); !named.ok()) {
        return named;
    }
    S3Response response;
    return Ask(request, response);
}

Result S3Client::DeleteFiles(const std::string& folder, const std::vector<std::string>& names,
                             std::string& failed) {
    failed.clear();
    std::string folderKey;
    // The bucket's top (folderKey empty) is a folder too: a profile may name no prefix.
    if (!KeyOf(folder, folderKey) || RemoteFolderPath(current, folder) != current) {
        failed = names.empty() ? std::string() : names.front();
        return Refused("\"" + folder + "\" is not the folder Mavren is in.");
    }
    for (std::size_t first = 0; first < names.size();
         first += static_cast<std::size_t>(limits.deleteBatch)) {
        const std::size_t end =
            std::min(names.size(), first + static_cast<std::size_t>(limits.deleteBatch));
        std::string document = "<Delete><Quiet>true</Quiet>";
        for (std::size_t i = first; i < end; ++i) {
            document +=
                "<Object><Key>" + XmlEscaped(FolderKey(folderKey) + names[i]) + "</Key></Object>";
        }
        document += "</Delete>";
        S3Request request;
        request.method = "POST";
        request.query = {{"delete", ""}};
        request.headers = {{"Content-Type", "application/xml"},
                           {"Content-MD5", S3Md5Of(document).base64}};
        request.body = document.data();
        request.bodySize = document.size();
        S3Response response;
        if (Result asked = Ask(request, response); !asked.ok()) {
            failed = names[first];
            return asked;
        }
        XmlElement result;
        if (!ParseXml(response.body, result) || result.name != "DeleteResult") {
            failed = names[first];
            return Refused(
                "The server's answer to a deletion is in a form Mavren does not "
                "understand.");
        }
        // Quiet: only the keys that stay are named.
        for (const XmlElement& item : result.children) {
            if (item.name == "Error") {
                const std::string key = item.ChildText("Key");
                failed = key.substr(std::min(key.size(), FolderKey(folderKey).size()));
                S3Response error;
                error.errorCode = item.ChildText("Code");
                error.errorMessage = item.ChildText("Message");
                return Refused(S3ErrorText(error));
            }
        }
    }
    return Result::Ok();
}

Result S3Client::RemoveDirectory(const std::string& name) {
    std::string key;
    if (!KeyOf(name, key) || key.empty()) {
        return Refused("\"" + name + "\" is not a folder of the bucket.");
    }
    // A folder made by another tool may be an empty object "FOLDER/". Deleting one that is
    // not there would leave a delete marker in a bucket that keeps versions.
    S3Response response;
    bool found = false;
    if (Result asked = Head(key + "/", response, found); !asked.ok() || !found) {
        return asked;
    }
    S3Request request;
    request.method = "DELETE";
    request.key = key + "/";
    return Ask(request, response);
}

void S3Client::Close() {
    connection.reset();
}

void S3Client::SetStopFlag(const StopFlag* flag) {
    stop = flag;
    if (connection) {
        connection->SetStopFlag(flag);
    }
}
