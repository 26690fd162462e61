#include "platform/format.h"

#include <cstdio>

std::string StringPrintfV(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int size = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

std::string StringPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = StringPrintfV(format, args);
    va_end(args);
    return text;
}

std::string GroupedNumber(std::int64_t number) {
    std::string digits = std::to_string(number);
    const int first = digits.front() == '-' ? 1 : 0;
    for (int at = static_cast<int>(digits.size()) - 3; at > first; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string ByteCountText(std::int64_t bytes) {
    return GroupedNumber(bytes) + (bytes == 1 ? " byte" : " bytes");
}
