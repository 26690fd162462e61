#pragma once

// The connection count and the transfer rate of an upload as mavren-cli reads and
// prints them. A rate is bytes a second, or a whole number with K, M or G (either case)
// for 1024, 1024² or 1024³ bytes, as curl and lftp read them; 0 for no limit. Pure
// functions.

#include <cstdint>
#include <string>

#include "cli/command_options.h"

// False for anything else: an empty text, a sign, a fraction, another suffix ("KB"),
// blanks, or more than an int64 holds.
bool ParseTransferRate(const std::string& text, std::int64_t& bytesPerSecond);

// The shortest text ParseTransferRate reads back as bytesPerSecond ("512K", "1536K",
// "100"); "none" for 0.
std::string TransferRateText(std::int64_t bytesPerSecond);

// Takes "--connections N" (1 to kMaxUploadConnections) and "--limit-rate RATE" from
// options into connections and rateLimit when given. The empty text, or the usage problem
// naming the value; nothing is changed then.
std::string ReadUploadLimits(const CommandOptions& options, int& connections,
                             std::int64_t& rateLimit);
