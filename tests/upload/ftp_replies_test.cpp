#include "upload/ftp_replies.h"

#include "upload/ftp_address.h"
#include "upload/remote_protocol.h"

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

TEST(FtpReplies, FolderListingsGiveNamesAndKinds) {
    struct Case {
        bool mlsd;  // else a long listing
        const char* line;
        bool entry;
        const char* name;
        bool folder;
    };
    const Case cases[] = {
        {true, "type=file;size=12;modify=20240102030405; a b.htm", true, "a b.htm", false},
        {true, "Type=Dir;Modify=20240102030405; images", true, "images", true},
        {true, "type=cdir;modify=20240102030405; .", false, "", false},
        {true, "type=pdir;modify=20240102030405; ..", false, "", false},
        {true, "type=OS.unix=slink:/x;size=1; link", true, "link", false},
        {true, "no facts here", false, "", false},
        {false, "-rw-r--r--    1 ann  ann   12 Jan  1 12:00 a b.htm", true, "a b.htm", false},
        {false, "drwxr-xr-x    2 ann  ann 4096 Jan  1  2023 images", true, "images", true},
        {false, "lrwxrwxrwx    1 ann  ann    4 Jan  1 12:00 link -> /etc", true, "link", false},
        {false, "drwxr-xr-x    2 ann  ann 4096 Jan  1 12:00 ..", false, "", false},
        {false, "total 12", false, "", false},
    };
    for (const Case& c : cases) {
        RemoteEntry entry;
        const bool parsed =
            c.mlsd ? ParseMlsdLine(c.line, entry) : ParseLongListingLine(c.line, entry);
        EXPECT_EQ(parsed, c.entry) << c.line;
        if (parsed) {
            EXPECT_EQ(entry.name, c.name) << c.line;
            EXPECT_EQ(entry.folder, c.folder) << c.line;
        }
    }
}

TEST(FtpReplies, ProtocolNamesAndPorts) {
    struct Case {
        const char* name;
        bool known;
        FtpProtocol protocol;
        int port;
    };
    const Case cases[] = {
        {"", true, FtpProtocol::Ftp, 21},      {"ftp", true, FtpProtocol::Ftp, 21},
        {"FTPS", true, FtpProtocol::Ftps, 21}, {"sftp", true, FtpProtocol::Sftp, 22},
        {"scp", false, FtpProtocol::Ftp, 21},
    };
    for (const Case& c : cases) {
        FtpProtocol protocol = FtpProtocol::Ftp;
        EXPECT_EQ(ParseFtpProtocol(c.name, protocol), c.known) << c.name;
        EXPECT_EQ(protocol, c.protocol) << c.name;
        EXPECT_EQ(DefaultPort(protocol), c.port) << c.name;
    }
    FtpAddress address;
    std::string problem;
    ASSERT_TRUE(ParseFtpHost("sftp://ssh.example.com", address, problem, 22));
    EXPECT_EQ(address.host, "ssh.example.com");
    EXPECT_EQ(address.port, 22);
}

}  // namespace
