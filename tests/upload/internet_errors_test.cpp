#include "upload/internet_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>

#include "platform/files.h"

namespace {

// The recorded text answers only for its own code and its own thread; everything else is
// described as an errno value.
TEST(InternetErrorText, TheRecordedTextOnItsThreadElseTheErrnoDescription) {
    SetLastInternetError(ERROR_INTERNET_EXTENDED_ERROR, "550 No such file.");
    EXPECT_EQ(InternetErrorText(ERROR_INTERNET_EXTENDED_ERROR), "550 No such file.");
    EXPECT_EQ(InternetErrorText(ERROR_INTERNET_CONNECTION_ABORTED),
              ErrorCodeText(ERROR_INTERNET_CONNECTION_ABORTED));
    EXPECT_EQ(InternetErrorText(ENOENT), "No such file or directory");
    std::string elsewhere;
    std::thread([&] { elsewhere = InternetErrorText(ERROR_INTERNET_EXTENDED_ERROR); }).join();
    EXPECT_EQ(elsewhere, ErrorCodeText(ERROR_INTERNET_EXTENDED_ERROR));
}

}  // namespace
