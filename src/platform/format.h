#pragma once

// printf-style formatting into a std::string, checked by the compiler.

#include <cstdarg>
#include <cstdint>
#include <string>

std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StringPrintfV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// A count with its thousands marked: 1000000 gives "1,000,000".
std::string GroupedNumber(std::int64_t number);

// A number of bytes as a user reads it: "1 byte", "239,837,680 bytes".
std::string ByteCountText(std::int64_t bytes);
