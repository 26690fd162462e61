#pragma once

// Where a profile's host text points: "name", "name:port", "[IPv6]", "[IPv6]:port" or a
// bare IPv6 address, with the protocol's usual port unless it names another. Pure
// functions.

#include <string>

#include "platform/expected.h"

struct FtpAddress {
    std::string host;  // a name, an IPv4 address, or an IPv6 address without brackets
    int port = 21;
};

// Reads what a user types as the host; blanks around it, an "ftp://", "ftps://" or
// "sftp://" before and "/" after are allowed. The port is defaultPort unless the text
// names one. Fails, with the reason as text, when the text cannot name a server.
Expected<FtpAddress> ParseFtpHost(const std::string& text, int defaultPort = 21);
