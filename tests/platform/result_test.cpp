#include "platform/result.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace {

TEST(Result, OkCarriesNothing) {
    const Result ok = Result::Ok();
    EXPECT_TRUE(ok.ok());
    EXPECT_EQ(ok.error(), 0);
    EXPECT_EQ(ok.internetCode(), 0);
    EXPECT_EQ(ok.text(), "");
    EXPECT_EQ(ok.reason(), "");
}

TEST(Result, KindFollowsErrno) {
    using Kind = Result::Kind;
    const std::pair<int, Kind> cases[] = {
        {ENOENT, Kind::NotFound},     {ENOTDIR, Kind::NotFound},  {EACCES, Kind::Permission},
        {EPERM, Kind::Permission},    {EROFS, Kind::Permission},  {ENOSPC, Kind::NoSpace},
        {EDQUOT, Kind::NoSpace},      {EFBIG, Kind::NoSpace},     {ECONNREFUSED, Kind::Network},
        {ECONNRESET, Kind::Network},  {ETIMEDOUT, Kind::Network}, {EHOSTUNREACH, Kind::Network},
        {ENETUNREACH, Kind::Network}, {EPIPE, Kind::Network},     {ECANCELED, Kind::Stopped},
        {EEXIST, Kind::Other},        {EINVAL, Kind::Other},      {EISDIR, Kind::Other},
    };
    for (const auto& [error, kind] : cases) {
        const Result failed = Result::FromErrno("open", "/x", error);
        EXPECT_FALSE(failed.ok()) << error;
        EXPECT_EQ(failed.kind(), kind) << error;
        EXPECT_EQ(failed.error(), error) << error;
    }
}

TEST(Result, ReasonSaysWhyForEachSource) {
    const struct {
        Result result;
        const char* reason;
    } cases[] = {
        {Result::FromErrno("open", "/gone/a.jpg", ENOENT),
         "open '/gone/a.jpg': No such file or directory"},
        // A reworded errno failure still says what the system said.
        {Result::FromErrno("rename", "/a", EACCES).WithText("Cannot rename."),
         "rename '/a': Permission denied"},
        {Result::Failure("it is damaged"), "it is damaged"},
        // An Internet code is no errno: the reason is the server's words.
        {Result::Internet(12003, "550 No such file.", Result::Kind::Refused), "550 No such file."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.reason(), c.reason);
    }
}

TEST(Result, RewordingKeepsWhatFailed) {
    const struct {
        Result result;
        Result::Kind kind;
    } cases[] = {
        {Result::FromErrno("write", "/full", ENOSPC), Result::Kind::NoSpace},
        {Result::Failure("bad", Result::Kind::DamagedInput), Result::Kind::DamagedInput},
        {Result::Internet(12030, "lost", Result::Kind::Stopped), Result::Kind::Stopped},
    };
    for (const auto& c : cases) {
        const Result reworded = Result(c.result).WithText("In other words.");
        EXPECT_EQ(reworded.text(), "In other words.");
        EXPECT_EQ(reworded.kind(), c.kind);
        EXPECT_EQ(reworded.what(), c.result.what());
        EXPECT_EQ(reworded.path(), c.result.path());
        EXPECT_EQ(reworded.error(), c.result.error());
        EXPECT_EQ(reworded.internetCode(), c.result.internetCode());
    }
}

}  // namespace
