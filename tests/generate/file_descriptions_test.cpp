#include "generate/file_descriptions.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

TEST(FileDescriptions, ParsesPlainAndQuotedNamesIgnoringCase) {
    FileDescriptions descriptions;
    descriptions.Parse(
        "alpine.jpg The lake at dawn\r\n"
        "\"Beach at Dusk.jpg\"   Last light, Tom & Jerry  \r\n"
        "tabbed.png\tA tab between\n"
        "extra.gif With a tool's own data\x04\xc2more\n"
        "nodescription.jpg\n"
        "\"unclosed.jpg Lost\n"
        "last.jpg no line end");
    const std::pair<const char*, const char*> cases[] = {
        {"Alpine.JPG", "The lake at dawn"}, {"beach at dusk.jpg", "Last light, Tom & Jerry"},
        {"tabbed.png", "A tab between"},    {"extra.gif", "With a tool's own data"},
        {"nodescription.jpg", ""},          {"unclosed.jpg", ""},
        {"last.jpg", "no line end"},        {"other.jpg", ""},
    };
    for (const auto& [name, description] : cases) {
        EXPECT_EQ(descriptions.Find(name), description) << name;
    }
}

}  // namespace
