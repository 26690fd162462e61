#include "cli/upload_limits.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "upload/upload_worker.h"

namespace {

struct Unit {
    char suffix;
    std::int64_t bytes;
};
constexpr Unit kUnits[] = {{'G', std::int64_t{1} << 30}, {'M', 1 << 20}, {'K', 1 << 10}};

}  // namespace

bool ParseTransferRate(const std::string& text, std::int64_t& bytesPerSecond) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    std::int64_t multiplier = 1;
    if (!text.empty()) {
        const char last = static_cast<char>(text.back() & ~0x20);  // ASCII upper case
        for (const Unit& unit : kUnits) {
            if (last == unit.suffix) {
                multiplier = unit.bytes;
                --end;
            }
        }
    }
    std::int64_t count = 0;
    // from_chars takes a leading "-"; a rate has none.
    if (begin == end || *begin == '-') {
        return false;
    }
    const auto [stop, error] = std::from_chars(begin, end, count);
    if (error != std::errc() || stop != end ||
        count > std::numeric_limits<std::int64_t>::max() / multiplier) {
        return false;
    }
    bytesPerSecond = count * multiplier;
    return true;
}

std::string TransferRateText(std::int64_t bytesPerSecond) {
    if (bytesPerSecond == 0) {
        return "none";
    }
    for (const Unit& unit : kUnits) {
        if (bytesPerSecond % unit.bytes == 0) {
            return std::to_string(bytesPerSecond / unit.bytes) + unit.suffix;
        }
    }
    return std::to_string(bytesPerSecond);
}

std::string ReadUploadLimits(const CommandOptions& options, int& connections,
                             std::int64_t& rateLimit) {
    int count = connections;
    if (const auto it = options.values.find("--connections"); it != options.values.end()) {
        const std::string& text = it->second;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, count);
        if (text.empty() || error != std::errc() || stop != end || count < 1 ||
            count > kMaxUploadConnections) {
            return "--connections takes a number from 1 to " +
                   std::to_string(kMaxUploadConnections) + ", not '" + text + "'";
        }
    }
    std::int64_t rate = rateLimit;
    if (const auto it = options.values.find("--limit-rate"); it != options.values.end()) {
        if (!ParseTransferRate(it->second, rate)) {
            return "--limit-rate takes bytes a second, or a number with K, M or G (0 for no "
                   "limit), not '" +
                   it->second + "'";
        }
    }
    connections = count;
    rateLimit = rate;
    return {};
}
