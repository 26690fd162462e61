#include "upload/listing_limits.h"

#include "platform/format.h"
#include "upload/curl_transfer.h"

void ApplyListingLimits(CurlTransfer& transfer, const ListingLimits& limits) {
    CURL* handle = transfer.Handle();
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.slowestBytesPerSecond);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.slowSeconds);
    transfer.LimitBody(limits.bytes, limits.entries);
}

std::string ListingLimitText(const CurlTransfer& transfer, CURLcode code,
                             const ListingLimits& limits) {
    if (transfer.BodyTooLong()) {
        return StringPrintf(
            "The listing is longer than Mavren reads (more than %s entries or %s MB).",
            GroupedNumber(static_cast<std::int64_t>(limits.entries)).c_str(),
            GroupedNumber(static_cast<std::int64_t>(limits.bytes / (1024 * 1024))).c_str());
    }
    if (code == CURLE_OPERATION_TIMEDOUT && !transfer.StopRequested()) {
        return StringPrintf(
            "The server sent the listing too slowly (less than %s a second for %ld seconds).",
            ByteCountText(limits.slowestBytesPerSecond).c_str(), limits.slowSeconds);
    }
    return {};
}
