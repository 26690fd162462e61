#include "generate/text_encoding.h"

#include <gtest/gtest.h>

namespace {

const std::string kHeader = "<HTML>\r\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\r\n";
const std::string kDeclared = kHeader + kUtf8Meta + "\r\n";

TEST(TextEncoding, OnlyValidNonAsciiUtf8IsDeclared) {
    const struct {
        const char* name;
        std::string page;
        std::string expected;
    } cases[] = {
        {"ASCII stays", kHeader + "<BODY >a.jpg", kHeader + "<BODY >a.jpg"},
        {"UTF-8", kHeader + "<BODY >Z\xc3\xbcrich", kDeclared + "<BODY >Z\xc3\xbcrich"},
        {"four bytes", kHeader + "<BODY >\xf0\x9f\x93\xb7", kDeclared + "<BODY >\xf0\x9f\x93\xb7"},
        {"Latin-1", kHeader + "<BODY >Z\xfcrich", kHeader + "<BODY >Z\xfcrich"},
        {"cut short", kHeader + "<BODY >\xc3", kHeader + "<BODY >\xc3"},
        {"overlong", kHeader + "<BODY >\xc0\xaf", kHeader + "<BODY >\xc0\xaf"},
        {"overlong three", kHeader + "<BODY >\xe0\x80\xaf", kHeader + "<BODY >\xe0\x80\xaf"},
        {"surrogate", kHeader + "<BODY >\xed\xa0\x80", kHeader + "<BODY >\xed\xa0\x80"},
        {"past U+10FFFF", kHeader + "<BODY >\xf4\x90\x80\x80", kHeader + "<BODY >\xf4\x90\x80\x80"},
        {"no mark", "<HTML><BODY>\xc3\xbc", "<HTML><BODY>\xc3\xbc"},
        {"charset already declared",
         "<HTML><HEAD>\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\n<meta charset=\"utf-8\">"
         "</HEAD><BODY>\xc3\xbc",
         "<HTML><HEAD>\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\n<meta charset=\"utf-8\">"
         "</HEAD><BODY>\xc3\xbc"},
        {"a merged page's line ends",
         "<HTML>\n<HEAD>\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\n<TITLE>t</TITLE>\n"
         "</HEAD><BODY>\xc3\xbc",
         "<HTML>\n<HEAD>\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\n" +
             std::string(kUtf8Meta) + "\n<TITLE>t</TITLE>\n</HEAD><BODY>\xc3\xbc"},
        {"charset named in the body only", kHeader + "<BODY ><META charset=x>\xc3\xbc",
         kDeclared + "<BODY ><META charset=x>\xc3\xbc"},
    };
    for (const auto& c : cases) {
        std::string page = c.page;
        EXPECT_EQ(DeclareUtf8(page), c.page != c.expected) << c.name;
        EXPECT_EQ(page, c.expected) << c.name;
    }
}

}  // namespace
