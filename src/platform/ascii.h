#pragma once

// Letter case for the ASCII letters only, whatever the locale: names, keys and
// patterns compare the same on every machine. Other bytes (UTF-8 included) pass unchanged.

#include <string>
#include <string_view>

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiLowerCase(std::string_view text);
std::string AsciiUpperCase(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// True when text begins with prefix, ignoring the case of ASCII letters.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Byte order with A to Z folded onto a to z: <0, 0 or >0 like strcmp.
int CompareIgnoringCase(std::string_view a, std::string_view b);
