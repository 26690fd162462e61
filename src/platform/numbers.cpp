#include "platform/numbers.h"

#include <cstdint>
#include <cstdlib>

int ParseLeadingInt(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int>(value);
}
