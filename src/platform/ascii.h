#pragma once

// Letter case, control characters and hexadecimal digits for ASCII only, whatever the
// locale: names, keys and patterns compare the same on every machine. Other bytes (UTF-8
// included) pass unchanged.

#include <string>
#include <string_view>

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Bytes below a space, and DEL.
constexpr bool IsAsciiControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// The value of a hexadecimal digit (either case), or -1 for any other byte.
constexpr int AsciiHexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string AsciiLowerCase(std::string_view text);
std::string AsciiUpperCase(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// True when text begins with prefix, ignoring the case of ASCII letters.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Byte order with A to Z folded onto a to z: <0, 0 or >0 like strcmp.
int CompareIgnoringCase(std::string_view a, std::string_view b);
