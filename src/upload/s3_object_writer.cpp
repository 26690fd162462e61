#include "upload/s3_object_writer.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "upload/internet_errors.h"
#include "upload/s3_multipart.h"
#include "upload/s3_object_headers.h"
#include "upload/s3_part_senders.h"

namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

// The bytes a page's charset is looked for in.
constexpr std::size_t kHeadBytes = 1024;

class S3ObjectWriter final : public S3ObjectFile {
  public:
    S3ObjectWriter(S3Connection& connection, S3ConnectionMaker more, std::string key,
                   const S3ObjectOptions& options)
        : connection(connection), more(std::move(more)), key(std::move(key)), options(options) {
        this->options.partsAtOnce = std::max(this->options.partsAtOnce, 1);
        this->options.partSize = std::max<std::int64_t>(this->options.partSize, 1);
    }

    ~S3ObjectWriter() override {
        if (!ended) {
            Abort();
        }
    }

    Result Write(const char* data, std::size_t size) override {
        if (ended) {
            return Ended();
        }
        if (broken) {
            return *broken;
        }
        pending.append(data, size);
        total += static_cast<std::int64_t>(size);
        if (!senders) {
            if (total <= options.multipartThreshold) {
                return Result::Ok();
            }
            if (Result begun = BeginParts(); !begun.ok()) {
                broken = begun;
                return begun;
            }
        }
        const auto partSize = static_cast<std::size_t>(options.partSize);
        std::size_t handed = 0;
        Result sent = Result::Ok();
        while (sent.ok() && pending.size() - handed >= partSize) {
            sent = senders->Send(nextPart++, pending.substr(handed, partSize));
            handed += partSize;
        }
        pending.erase(0, handed);
        if (!sent.ok()) {
            broken = sent;
        }
        return sent;
    }

    Result Close() override {
        if (ended) {
            return Ended();
        }
        ended = true;
        if (IsStopRequested(options.stop)) {
            return InternetStopped();
        }
        if (broken) {
            return *broken;
        }
        if (!senders) {
            return PutWhole();
        }
        Result closed = Result::Ok();
        if (!pending.empty()) {
            closed = senders->Send(nextPart++, std::move(pending));
            pending = std::string();
        }
        std::vector<S3Part> parts;
        if (closed.ok()) {
            closed = senders->Finish(parts);
        }
        if (closed.ok()) {
            closed = S3CompleteMultipartUpload(connection, key, uploadId, parts);
        }
        if (closed.ok()) {
            transferredBefore = senders->BytesTransferred();
            senders.reset();
            sent = total;
        }
        return closed;
    }

    void Abort() override {
        ended = true;
        if (senders) {
            senders->Abort();
        }
        pending = std::string();
    }

    std::int64_t BytesSent() const override { return senders ? senders->BytesKept() : sent; }

    std::int64_t BytesTransferred() const override {
        return senders ? senders->BytesTransferred() : transferredBefore;
    }

  private:
    static Result Ended() {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, "The object is closed already.");
    }

    Headers ObjectHeaders() const {
        const std::string_view head(pending.data(), std::min(pending.size(), kHeadBytes));
        return {{"Content-Type", S3ContentType(key, head)}, {"Cache-Control", S3CacheControl(key)}};
    }

    Result PutWhole() {
        const S3Request request = S3PutObjectRequest(key, pending, ObjectHeaders());
        S3Response response;
        Result put = connection.Send(request, response);
        if (put.ok()) {
            put = S3Answer(response, "Sending \"" + key + "\"");
        }
        if (put.ok()) {
            sent = total;
            transferredBefore = total;
        }
        pending = std::string();
        return put;
    }

    // Takes up the newest upload of the key that an earlier attempt left, with the parts
    // it holds, and abandons older ones; starts a new upload when there is none.
    Result BeginParts() {
        std::vector<S3UnfinishedUpload> uploads;
        // A service that does not list uploads leaves nothing to take up.
        if (Result listed = S3ListUnfinishedUploads(connection, key, uploads);
            !listed.ok() && listed.kind() != Result::Kind::Refused) {
            return listed;
        }
        std::map<int, S3Part> present;
        if (!uploads.empty()) {
            std::vector<S3Part> parts;
            const Result partsListed = S3ListParts(connection, key, uploads.back().uploadId, parts);
            if (partsListed.ok()) {
                uploadId = uploads.back().uploadId;
                for (S3Part& part : parts) {
                    present.emplace(part.number, std::move(part));
                }
            } else if (partsListed.kind() != Result::Kind::Refused) {
                return partsListed;
            }
            // Gone in between, or refused: a new upload then. Older ones only keep space.
            for (std::size_t i = 0; i + 1 < uploads.size(); ++i) {
                const Result abandoned =
                    S3AbortMultipartUpload(connection, key, uploads[i].uploadId);
                if (!abandoned.ok() && abandoned.kind() != Result::Kind::Refused) {
                    return abandoned;
                }
            }
        }
        if (uploadId.empty()) {
            if (Result created =
                    S3CreateMultipartUpload(connection, key, ObjectHeaders(), uploadId);
                !created.ok()) {
                return created;
            }
        }
        std::vector<std::unique_ptr<S3Connection>> others;
        while (more && options.partsAtOnce > 1 &&
               others.size() < static_cast<std::size_t>(options.partsAtOnce)) {
            std::unique_ptr<S3Connection> another = more();
            if (!another) {
                break;
            }
            others.push_back(std::move(another));
        }
        senders = std::make_unique<S3PartSenders>(connection, std::move(others), options.stop, key,
                                                  uploadId, std::move(present));
        return Result::Ok();
    }

    S3Connection& connection;
    S3ConnectionMaker more;
    const std::string key;
    S3ObjectOptions options;

    std::string pending;  // bytes written and not handed to a part (all of a small object)
    std::int64_t total = 0;
    std::int64_t sent = 0;
    std::int64_t transferredBefore = 0;
    bool ended = false;
    std::optional<Result> broken;

    std::string uploadId;
    int nextPart = 1;
    std::unique_ptr<S3PartSenders> senders;
};

}  // namespace

std::unique_ptr<S3ObjectFile> OpenS3Object(S3Connection& connection, S3ConnectionMaker more,
                                           const std::string& key, const S3ObjectOptions& options) {
    return std::make_unique<S3ObjectWriter>(connection, std::move(more), key, options);
}

std::unique_ptr<FtpRemoteFile> OpenS3Object(S3Connection& connection, S3ConnectionMaker more,
                                            int partsAtOnce, const std::string& key,
                                            const StopFlag* stop) {
    S3ObjectOptions options;
    options.partsAtOnce = partsAtOnce;
    options.stop = stop;
    return OpenS3Object(connection, std::move(more), key, options);
}
