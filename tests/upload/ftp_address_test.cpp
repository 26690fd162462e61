#include "upload/ftp_address.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseFtpHost, ReadsNamesPortsAndIpv6) {
    struct Case {
        const char* text;
        const char* host;  // null: refused
        int port;
    };
    const Case cases[] = {
        {"ftp.example.com", "ftp.example.com", 21},
        {"ftp.example.com:2121", "ftp.example.com", 2121},
        {"  ftp.example.com  ", "ftp.example.com", 21},
        {"FTP://ftp.example.com/", "ftp.example.com", 21},
        {"10.0.0.7:65535", "10.0.0.7", 65535},
        {"[::1]", "::1", 21},
        {"[fe80::1%eth0]:990", "fe80::1%eth0", 990},
        {"2001:db8::5", "2001:db8::5", 21},
        {"", nullptr, 0},
        {"ftp.example.com:", nullptr, 0},
        {"ftp.example.com:0", nullptr, 0},
        {"ftp.example.com:65536", nullptr, 0},
        {"ftp.example.com:21x", nullptr, 0},
        {"ftp.example.com/www", nullptr, 0},
        {"ann@ftp.example.com", nullptr, 0},
        {"ftp example.com", nullptr, 0},
        {"[::1", nullptr, 0},
        {"[::1]x", nullptr, 0},
    };
    for (const Case& c : cases) {
        const Expected<FtpAddress> address = ParseFtpHost(c.text);
        if (c.host == nullptr) {
            EXPECT_FALSE(address.ok()) << c.text;
            EXPECT_NE(address.failure().text().find(c.text), std::string::npos)
                << address.failure().text();
        } else {
            ASSERT_TRUE(address.ok()) << c.text << ": " << address.failure().text();
            EXPECT_EQ(address->host, c.host);
            EXPECT_EQ(address->port, c.port) << c.text;
        }
    }
}

}  // namespace
