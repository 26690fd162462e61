#include "upload/ftp_replies.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/ascii.h"

int FtpReplyCode(std::string_view line) {
    if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1])) ||
        !std::isdigit(static_cast<unsigned char>(line[2])) || (line.size() > 3 && line[3] != ' ')) {
        return 0;
    }
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

std::string FtpReplyArgument(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t", std::min<std::size_t>(line.size(), 3));
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

bool ParseQuotedFolder(const std::string& reply, std::string& folder) {
    const std::size_t open = reply.find('"');
    if (open == std::string::npos) {
        return false;
    }
    std::string name;
    for (std::size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] != '"') {
            name += reply[i];
        } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
            name += '"';
            ++i;
        } else {
            folder = name;
            return true;
        }
    }
    return false;
}

std::time_t ParseFtpTime(std::string_view text) {
    if (text.size() < 14 || !std::all_of(text.begin(), text.begin() + 14, [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return -1;
    }
    const auto number = [&text](std::size_t at, std::size_t length) {
        int value = 0;
        std::from_chars(text.data() + at, text.data() + at + length, value);
        return value;
    };
    std::tm parts{};
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(4, 2) - 1;
    parts.tm_mday = number(6, 2);
    parts.tm_hour = number(8, 2);
    parts.tm_min = number(10, 2);
    parts.tm_sec = number(12, 2);
    if (parts.tm_mon < 0 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_mday > 31 ||
        parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60) {
        return -1;
    }
    return ::timegm(&parts);
}

bool ParseListingFacts(const std::string& line, RemoteFileStatus& status) {
    const std::string facts = AsciiLowerCase(line.substr(1, line.find(' ', 1) - 1));
    bool isFile = false;
    std::size_t start = 0;
    while (start < facts.size()) {
        std::size_t end = facts.find(';', start);
        if (end == std::string::npos) {
            end = facts.size();
        }
        const std::string fact = facts.substr(start, end - start);
        const std::size_t equals = fact.find('=');
        const std::string key = fact.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : fact.substr(equals + 1);
        if (key == "type") {
            isFile = value == "file";
        } else if (key == "size") {
            std::int64_t size = -1;
            std::from_chars(value.data(), value.data() + value.size(), size);
            status.size = size;
        } else if (key == "modify") {
            status.lastWriteTime = ParseFtpTime(value);
        }
        start = end + 1;
    }
    return isFile;
}

bool ParseMlsdLine(const std::string& line, RemoteEntry& entry) {
    const std::size_t separator = line.find("; ");
    if (separator == std::string::npos || line.find('=') > separator) {
        return false;
    }
    entry.name = line.substr(separator + 2);
    std::string type;
    const std::string facts = AsciiLowerCase(line.substr(0, separator));
    for (std::size_t start = 0; start < facts.size();) {
        std::size_t end = facts.find(';', start);
        if (end == std::string::npos) {
            end = facts.size();
        }
        if (facts.compare(start, 5, "type=") == 0) {
            type = facts.substr(start + 5, end - start - 5);
        }
        start = end + 1;
    }
    if (type == "cdir" || type == "pdir" || entry.name.empty() || entry.name == "." ||
        entry.name == "..") {
        return false;
    }
    entry.folder = type == "dir";
    return true;
}

bool ParseLongListingLine(const std::string& line, RemoteEntry& entry) {
    // Eight fields (mode, links, owner, group, size, month, day, time or year), then
    // the name, which may hold blanks of its own.
    std::size_t at = 0;
    for (int field = 0; field < 8; ++field) {
        at = line.find_first_not_of(' ', at);
        if (at == std::string::npos) {
            return false;
        }
        at = line.find(' ', at);
        if (at == std::string::npos) {
            return false;
        }
    }
    if (line.empty() || std::string("-dlbcps").find(line[0]) == std::string::npos) {
        return false;
    }
    std::string name = line.substr(at + 1);
    if (line[0] == 'l') {
        name = name.substr(0, name.find(" -> "));
    }
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    entry.name = name;
    entry.folder = line[0] == 'd';
    return true;
}
