#include "upload/ftp_replies.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpReplies, CodesAndArguments) {
    EXPECT_EQ(FtpReplyCode("250 OK"), 250);
    EXPECT_EQ(FtpReplyCode("421"), 421);
    EXPECT_EQ(FtpReplyCode("250-Listing follows"), 0);
    EXPECT_EQ(FtpReplyCode(" type=file;size=1; a"), 0);
    EXPECT_EQ(FtpReplyCode("25 short"), 0);
    EXPECT_EQ(FtpReplyArgument("213  1234 \r\n"), "1234");
    EXPECT_EQ(FtpReplyArgument("213"), "");
}

TEST(FtpReplies, FolderNamesAndTimes) {
    std::string folder;
    EXPECT_TRUE(ParseQuotedFolder("257 \"/www/site\" is the current directory.", folder));
    EXPECT_EQ(folder, "/www/site");
    EXPECT_TRUE(ParseQuotedFolder("257 \"/a \"\"b\"\"\" is current", folder));
    EXPECT_EQ(folder, "/a \"b\"");
    EXPECT_TRUE(ParseQuotedFolder("257 \"\"", folder));
    EXPECT_EQ(folder, "");
    EXPECT_FALSE(ParseQuotedFolder("257 no quotes", folder));
    EXPECT_FALSE(ParseQuotedFolder("257 \"unterminated", folder));

    EXPECT_EQ(ParseFtpTime("19700101000000"), 0);
    EXPECT_EQ(ParseFtpTime("20240229123456"), 1709210096);
    EXPECT_EQ(ParseFtpTime("20240229123456.789"), 1709210096);
    EXPECT_EQ(ParseFtpTime("2024022912345"), -1);
    EXPECT_EQ(ParseFtpTime("20241329123456"), -1);
    EXPECT_EQ(ParseFtpTime("2024022912345x"), -1);
}

TEST(FtpReplies, ListingFacts) {
    struct Case {
        const char* line;
        bool isFile;
        std::int64_t size;
        std::time_t time;
    };
    const Case cases[] = {
        {" modify=20240229123456;perm=r;size=18;type=file; /www/a b.htm", true, 18, 1709210096},
        {" Type=File;Size=7;Modify=20240229123456.5; x", true, 7, 1709210096},
        {" type=dir;modify=20240229123456; /www/images", false, -1, 1709210096},
        {" size=3; no-type", false, 3, -1},
    };
    for (const Case& c : cases) {
        RemoteFileStatus status;
        EXPECT_EQ(ParseListingFacts(c.line, status), c.isFile) << c.line;
        EXPECT_EQ(status.size, c.size) << c.line;
        EXPECT_EQ(status.lastWriteTime, c.time) << c.line;
    }
}

}  // namespace
