#include "upload/password_scramble.h"

#include <chrono>

#include "platform/ascii.h"

std::string ScramblePassword(const std::string& password) {
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    return ScramblePassword(password, static_cast<std::uint8_t>(ticks & 0xFF));
}

std::string ScramblePassword(const std::string& password, std::uint8_t seed) {
    if (password.empty()) {
        return {};
    }
    static const char kDigits[] = "0123456789ABCDEF";
    std::string stored;
    stored.reserve(3 * (password.size() + 1));
    auto append = [&stored](unsigned byte) {
        if (!stored.empty()) {
            stored += '-';
        }
        stored += kDigits[(byte >> 4) & 0xF];
        stored += kDigits[byte & 0xF];
    };
    append(seed);
    RuntimeRandom random(seed);
    for (const char c : password) {
        append((static_cast<unsigned char>(c) ^ random.Next()) & 0xFF);
    }
    return stored;
}

std::string UnscramblePassword(const std::string& stored) {
    std::string bytes;
    int high = -1;
    for (const char c : stored) {
        const int value = AsciiHexDigit(c);
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    if (bytes.empty()) {
        return {};
    }
    RuntimeRandom random(static_cast<unsigned char>(bytes[0]));
    std::string password;
    password.reserve(bytes.size() - 1);
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        password +=
            static_cast<char>((static_cast<unsigned char>(bytes[i]) ^ random.Next()) & 0xFF);
    }
    return password;
}
