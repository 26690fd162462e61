#pragma once

// Internet error codes (12000 to 12999), which a connection's failures carry in their
// Result's error(): callers tell a server's refusal from a failed connection by them.

#include <string>

#include "platform/result.h"

// A server that refused a request gives the extended error, whose text is the server's
// last reply line; a connection that failed or was lost gives the aborted error, whose text
// says why.
constexpr int ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr int ERROR_INTERNET_CONNECTION_ABORTED = 12030;

// A failed request as a Result: error() is code, text() says why (read text(), not reason(),
// which is for errno values).
Result InternetFailure(int code, std::string text);
