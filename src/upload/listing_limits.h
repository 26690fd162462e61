#pragma once

// How much of a folder listing a connection takes, so that a server whose listing never
// ends, or trickles in, cannot fill the memory or hold an upload: past a limit the listing
// fails with a reason of its own. Same thread as the transfer.

#include <curl/curl.h>

#include <cstddef>
#include <string>

class CurlTransfer;

struct ListingLimits {
    std::size_t entries = 1'000'000;
    std::size_t bytes = 256 * 1024 * 1024;
    // A listing that brings less than slowestBytesPerSecond for slowSeconds is given up.
    long slowSeconds = 60;
    long slowestBytesPerSecond = 1024;
};

// Sets up the prepared request of transfer to read a listing within limits.
void ApplyListingLimits(CurlTransfer& transfer, const ListingLimits& limits);

// Why a listing request that ended with code went past the limits; empty when it did not.
std::string ListingLimitText(const CurlTransfer& transfer, CURLcode code,
                             const ListingLimits& limits);
