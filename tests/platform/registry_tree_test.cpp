#include "platform/registry_tree.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistryTree, TextFormRoundTrips) {
    RegistryKey root;
    RegistryKey& app = root.AddSubkey("Software").AddSubkey("Orvashi").AddSubkey("Mavren 1.0");
    app.SetValue("LastProgDir", "/home/ann/Web");
    app.SetValue("Odd", std::string("a\"b\\c\nd\re\tf\x01g\x7f\0h", 16));
    app.AddSubkey("Dont Show Again");  // empty, and still there after the round trip
    app.AddSubkey("FTP Profiles").AddSubkey("Home").SetValue("Host", "ftp.example.com");
    root.SetValue("", "root value");

    const std::string text = FormatRegistryText(root);
    RegistryKey read;
    const Result parsed = ParseRegistryText(text, read);
    ASSERT_TRUE(parsed.ok()) << parsed.text() << "\n" << text;
    EXPECT_EQ(FormatRegistryText(read), text);
    const RegistryKey* readApp = FindRegistryKey(read, "Software\\Orvashi\\Mavren 1.0");
    ASSERT_NE(readApp, nullptr);
    ASSERT_NE(readApp->FindValue("Odd"), nullptr);
    EXPECT_EQ(*readApp->FindValue("Odd"), *app.FindValue("Odd"));
    EXPECT_NE(readApp->FindSubkey("Dont Show Again"), nullptr);
    EXPECT_NE(text.find("\n[Software\\Orvashi\\Mavren 1.0\\Dont Show Again]\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\n[]\n\"\"=\"root value\"\n"), std::string::npos) << text;
    // Keys between are implied by the paths below them.
    EXPECT_EQ(text.find("[Software]"), std::string::npos) << text;
}

TEST(RegistryTree, ReadsHandEditedText) {
    const std::string text =
        "# a note\r\n"
        "\r\n"
        "  [Software\\Orvashi\\Mavren 1.0]  \r\n"
        "\t\"LastProgDir\" = \"/a\"\r\n"
        "\"Hex\"=\"\\x41\\x62\"\n"
        "[Software\\Orvashi\\Mavren 1.0]\n"
        "\"lastprogdir\"=\"/b\"\n"
        "[Other]";
    RegistryKey root;
    const Result parsed = ParseRegistryText(text, root);
    ASSERT_TRUE(parsed.ok()) << parsed.text();
    const RegistryKey* app = FindRegistryKey(root, "software\\orvashi\\mavren 1.0");
    ASSERT_NE(app, nullptr);
    ASSERT_EQ(app->values.size(), 2u);
    EXPECT_EQ(app->values[0].first, "LastProgDir");
    EXPECT_EQ(app->values[0].second, "/b") << "the later line wins";
    EXPECT_EQ(app->values[1].second, "Ab");
    EXPECT_NE(root.FindSubkey("other"), nullptr);
}

// "[k\k\...]" naming a key levels deep.
std::string DeepKeyLine(std::size_t levels) {
    std::string line = "[k";
    for (std::size_t i = 1; i < levels; ++i) {
        line += "\\k";
    }
    return line + "]";
}

TEST(RegistryTree, TheDeepestKeyRoundTripsWithoutRecursion) {
    const std::string text = DeepKeyLine(kMaxRegistryKeyDepth) + "\n\"a\"=\"1\"\n\"A\"=\"2\"\n";
    RegistryKey root;
    const Result parsed = ParseRegistryText(text, root);
    ASSERT_TRUE(parsed.ok()) << parsed.text();
    const std::string formatted = FormatRegistryText(root);
    EXPECT_NE(formatted.find("\n" + DeepKeyLine(kMaxRegistryKeyDepth) + "\n\"a\"=\"2\"\n"),
              std::string::npos)
        << "duplicates merged at the deepest level";
}

TEST(RegistryTree, ReportsTheLineItCannotRead) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"\"a\"=\"b\"", "line 1: a value comes before the first [key] line"},
        {"[A]\nrubbish", "line 2: not a [key] line or a \"name\"=\"text\" line"},
        {"[A\n", "line 1: the closing ']' is missing"},
        {"[A\\\\B]", "line 1: the key path holds an empty or invalid key name"},
        {"[A\\]", "line 1: the key path holds an empty or invalid key name"},
        {"[A]\n\"a\"=\"b", "line 2: the closing double quote is missing"},
        {"[A]\n\"a\"\"b\"", "line 2: '=' was expected after the value name"},
        {"[A]\n\"a\"=b", "line 2: a double quote was expected"},
        {"[A]\n\"a\"=\"\\q\"", "line 2: unknown escape \\q"},
        {"[A]\n\"a\"=\"\\x4\"", "line 2: \\x must be followed by two hexadecimal digits"},
        {"[A]\n\"a\"=\"b\" c", "line 2: unexpected text after the value"},
        {"[A]\n\n\n\"a\"=\"ends in a backslash\\", "line 4: the closing double quote is missing"},
        {"[A]\n" + DeepKeyLine(kMaxRegistryKeyDepth + 1),
         "line 2: the key path is more than 512 keys deep"},
        // Once a crash of both programs at every start.
        {"[A]\n" + DeepKeyLine(50000) + "\n\"a\"=\"b\"",
         "line 2: the key path is more than 512 keys deep"},
    };
    for (const auto& c : cases) {
        RegistryKey root;
        const Result parsed = ParseRegistryText(c.text, root);
        EXPECT_FALSE(parsed.ok()) << c.text.substr(0, 60);
        EXPECT_EQ(parsed.kind(), Result::Kind::DamagedInput) << c.text.substr(0, 60);
        EXPECT_EQ(parsed.text(), c.error) << c.text.substr(0, 60);
    }
}

}  // namespace
