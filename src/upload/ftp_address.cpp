#include "upload/ftp_address.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/ascii.h"

namespace {

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsIpv6Character(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.' || c == '%' ||
           IsHostCharacter(c);
}

std::string TrimmedText(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

Expected<FtpAddress> ParseFtpHost(const std::string& text, int defaultPort) {
    std::string rest = TrimmedText(text);
    for (const std::string_view scheme : {"ftp://", "ftps://", "sftp://"}) {
        if (rest.size() >= scheme.size() &&
            EqualsIgnoringCase(std::string_view(rest).substr(0, scheme.size()), scheme)) {
            rest.erase(0, scheme.size());
            break;
        }
    }
    while (!rest.empty() && rest.back() == '/') {
        rest.pop_back();
    }
    const auto invalid = [&]() {
        return Result::Failure("\"" + text + "\" is not an FTP server name (like ftp.example.com " +
                               "or ftp.example.com:2121).");
    };
    std::string host;
    std::string port;
    bool ipv6 = false;
    bool hasPort = false;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos) {
            return invalid();
        }
        host = rest.substr(1, close - 1);
        ipv6 = true;
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':') {
                return invalid();
            }
            port = rest.substr(close + 2);
            hasPort = true;
        }
    } else if (std::count(rest.begin(), rest.end(), ':') > 1) {
        host = rest;  // a bare IPv6 address, which cannot carry a port
        ipv6 = true;
    } else {
        const std::size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        if (colon != std::string::npos) {
            port = rest.substr(colon + 1);
            hasPort = true;
        }
    }
    if (host.empty() ||
        !std::all_of(host.begin(), host.end(), ipv6 ? IsIpv6Character : IsHostCharacter)) {
        return invalid();
    }
    int number = defaultPort;
    if (hasPort) {
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (port.empty() || error != std::errc() || end != port.data() + port.size() ||
            number < 1 || number > 65535) {
            return Result::Failure("The port in \"" + text +
                                   "\" must be a number from 1 to 65535.");
        }
    }
    FtpAddress address;
    address.host = host;
    address.port = number;
    return address;
}
