#pragma once

// Internet error codes (12000 to 12999), which a connection's failures carry in their
// Result's internetCode(); their kind() tells a server's refusal from a failed connection
// and from a stop.

#include <string>

#include "platform/result.h"

// A server that refused a request gives the extended error, whose text is the server's
// last reply line; a connection that failed or was lost gives the aborted error, whose text
// says why.
constexpr int ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr int ERROR_INTERNET_CONNECTION_ABORTED = 12030;

// A failed request as a Result: internetCode() is code, text() and reason() say why; the
// kind is Refused for the extended error, Network for any other code.
Result InternetFailure(int code, std::string text);

// A request ended by a stop request: the aborted error with "The upload was stopped.", of
// kind Stopped.
Result InternetStopped();
