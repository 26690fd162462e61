#include "upload/ftp_replies.h"

#include "upload/ftp_address.h"
#include "upload/remote_protocol.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(FtpReplies, TheStrongestHashCommandAServerOffers) {
    struct Case {
        std::vector<std::string> feat;
        bool offered;
        FtpHashCommand command;
    };
    const std::string md5(32, 'a');
    const Case cases[] = {
        {{"211-Features:", " HASH SHA-1*;SHA-256;MD5", " XMD5", "211 End"},
         true,
         {"HASH", "SHA-256", "SHA256"}},
        {{"211-Features:", " hash sha-256*", "211 End"}, true, {"HASH", "", "SHA256"}},
        {{"211-Features:", " XMD5", " XSHA1", " HASH MD5*", "211 End"},
         true,
         {"XSHA1", "", "SHA1"}},
        {{"211-Features:", " HASH CRC32*", " MDTM", "211 End"}, false, {}},
        {{"211 No features"}, false, {}},
    };
    for (const Case& c : cases) {
        FtpHashCommand command;
        EXPECT_EQ(ParseHashFeature(c.feat, command), c.offered) << c.feat[1];
        if (c.offered) {
            EXPECT_EQ(command.command, c.command.command) << c.feat[1];
            EXPECT_EQ(command.selection, c.command.selection) << c.feat[1];
            EXPECT_EQ(command.algorithm, c.command.algorithm) << c.feat[1];
        }
    }
    std::string hex;
    EXPECT_TRUE(ParseHashReply("213 MD5 0-99 " + md5 + " a b.jpg", 32, hex));
    EXPECT_EQ(hex, md5);
    EXPECT_TRUE(ParseHashReply("250 " + std::string(32, 'F'), 32, hex));
    EXPECT_EQ(hex, std::string(32, 'f'));
    EXPECT_FALSE(ParseHashReply("213 SHA-256 0-99 " + md5 + " a.jpg", 64, hex));
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

TEST(FtpReplies, FolderListingLinesGiveNamesAndKinds) {
    enum Kind { File, Folder, Link };
    struct Case {
        bool mlsd;  // else LIST
        const char* line;
        ListingLine result;
        const char* name;
        Kind kind;
    };
    const ListingLine entry = ListingLine::Entry;
    const ListingLine skip = ListingLine::Skip;
    const ListingLine bad = ListingLine::NotUnderstood;
    const Case cases[] = {
        {true, "type=file;size=12;modify=20240102030405; a b.htm", entry, "a b.htm", File},
        {true, "Type=Dir;Modify=20240102030405; images", entry, "images", Folder},
        {true, "type=dir;unique=801g2; x; y", entry, "x; y", Folder},
        {true, "type=cdir;modify=20240102030405; .", skip, "", File},
        {true, "type=pdir;modify=20240102030405; ..", skip, "", File},
        {true, "type=OS.unix=slink:/x;size=1; link", entry, "link", Link},
        {true, "type=OS.unix=symlink; link", entry, "link", Link},
        {true, "size=1; no type", bad, "", File},
        {true, "no facts here", bad, "", File},
        {true, "", skip, "", File},
        {false, "-rw-r--r--    1 ann  ann   12 Jan  1 12:00 a b.htm", entry, "a b.htm", File},
        {false, "drwxr-xr-x    2 ann  ann 4096 Jan  1  2023 images", entry, "images", Folder},
        {false, "lrwxrwxrwx    1 ann  ann    4 Jan  1 12:00 link -> /etc", entry, "link", Link},
        // Without a group column, and with numbers for the owner.
        {false, "-rw-r--r-- 1 owner 1234 Jan 01 12:00 my photo.jpg", entry, "my photo.jpg", File},
        {false, "-rw-r--r-- 1 1000 1000 5 Dec  8 17:00  two  blanks", entry, " two  blanks", File},
        {false, "-rw-r--r-- 1 ann ann 5 2024-01-02 03:04 iso.htm", entry, "iso.htm", File},
        {false, "drwxr-xr-x    2 ann  ann 4096 Jan  1 12:00 ..", skip, "", File},
        {false, "total 12", skip, "", File},
        // Windows servers.
        {false, "01-02-24  03:04PM       <DIR>          my images", entry, "my images", Folder},
        {false, "01-02-2024  15:04                 1234 a.htm", entry, "a.htm", File},
        {false, "01-02-24  03:04AM       <JUNCTION>     jump", entry, "jump", Link},
        {false, "01-02-24  03:04PM       ????           x", bad, "", File},
        {false, "-rw-r--r-- 1 ann ann twelve Jan 1 12:00 x", bad, "", File},
        {false, "garbage", bad, "", File},
    };
    for (const Case& c : cases) {
        RemoteEntry parsed;
        const ListingLine result =
            c.mlsd ? ParseMlsdLine(c.line, parsed) : ParseListLine(c.line, parsed);
        EXPECT_EQ(result, c.result) << c.line;
        if (result == ListingLine::Entry) {
            EXPECT_EQ(parsed.name, c.name) << c.line;
            EXPECT_EQ(parsed.folder, c.kind == Folder) << c.line;
            EXPECT_EQ(parsed.link, c.kind == Link) << c.line;
        }
    }
}

TEST(FtpReplies, WholeListingsKeepOddNamesWholeAndEachNameOnce) {
    // A lone CR in a name does not end its line; a name listed twice is one entry.
    Expected<std::vector<RemoteEntry>> listed = ParseListing(
        "type=file;size=1; old\rname.htm\r\ntype=file;size=2; a\r\n"
        "type=dir; a\r\n",
        true);
    ASSERT_TRUE(listed.ok());
    std::vector<RemoteEntry> entries = *listed;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "old\rname.htm");
    EXPECT_EQ(entries[0].status.size, 1);
    EXPECT_EQ(entries[1].name, "a");
    EXPECT_FALSE(entries[1].folder) << "listed as a file and as a folder: neither is trusted";

    // Lines ending in LF alone.
    listed = ParseListing("total 1\n-rw-r--r-- 1 a a 1 Jan  1 12:00 x\n", false);
    ASSERT_TRUE(listed.ok());
    ASSERT_EQ(listed->size(), 1u);
    EXPECT_EQ((*listed)[0].name, "x");

    listed = ParseListing("type=file; a\r\n\x01 what\r\n", true);
    ASSERT_FALSE(listed.ok());
    EXPECT_EQ(listed.failure().text(), "line 2: \"? what\"");
    EXPECT_EQ(listed.failure().kind(), Result::Kind::DamagedInput);
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
    const Expected<FtpAddress> address = ParseFtpHost("sftp://ssh.example.com", 22);
    ASSERT_TRUE(address.ok());
    EXPECT_EQ(address->host, "ssh.example.com");
    EXPECT_EQ(address->port, 22);
}

}  // namespace
