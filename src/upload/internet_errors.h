#pragma once

// Internet error codes (12000 to 12999) and the text of the last one: a connection records
// each failure here, and InternetErrorText turns the code back into words. Each thread
// keeps its own last error, as each runs its own connection.

#include <string>

#include "platform/result.h"

// A server that refused a request gives the extended error, whose text is the server's
// last reply line; a connection that failed or was lost gives the aborted error, whose text
// says why.
constexpr int ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr int ERROR_INTERNET_CONNECTION_ABORTED = 12030;

// Remembers, for the calling thread only, the text InternetErrorText gives for code.
void SetLastInternetError(int code, std::string text);

// One-line description of an Internet error code recorded on this thread with
// SetLastInternetError; any other code is taken for an errno value (ErrorCodeText).
std::string InternetErrorText(int code);

// A failed request as a Result: error() is code, text() says why (read text(), not reason(),
// which is for errno values). Records code and text for the calling thread as well, as
// SetLastInternetError does.
Result InternetFailure(int code, std::string text);
