#include "generate/html_files.h"

#include <gtest/gtest.h>

#include "support/recording_receiver.h"
#include "support/test_support.h"

namespace {

const char kMark[] = "CONTENT=\"Mavren 1.0\"";

class HtmlFiles : public ::testing::Test {
  protected:
    std::string Make(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    TempDir dir;
    ScopedScriptedBoxes boxes;
};

TEST_F(HtmlFiles, CheckBoilerplateWantsTheTagInCapitals) {
    EXPECT_TRUE(CheckBoilerplate(Make("good.htm", "<P><MAVREN-BOILERPLATE></P>")).ok());
    EXPECT_EQ(CheckBoilerplate(Make("lower.htm", "<mavren-boilerplate>")).text(),
              "Cannot use file for boilerplate\n\n"
              "No Mavren boilerplate tag (<MAVREN-BOILERPLATE>) found.");
    EXPECT_EQ(CheckBoilerplate(Make("binary.htm", std::string("a\0b", 3))).text(),
              "Cannot use file for boilerplate\n\n'" + dir / "binary.htm" +
                  "' contains binary characters\n");
    EXPECT_EQ(CheckBoilerplate(dir / "missing.htm")
                  .text()
                  .rfind("Cannot use file for boilerplate\n\nCannot get status of", 0),
              0u);
    EXPECT_TRUE(boxes->Texts().empty()) << "the front end shows the box";
}

TEST_F(HtmlFiles, ExtractBodyCountsBracketsInsideTheBodyTag) {
    std::string body = "untouched";
    EXPECT_TRUE(
        ExtractBody(Make("a.htm", "<html><body onload=\"x<y>\">Hi</BODY></html>"), body, nullptr));
    EXPECT_EQ(body, "Hi");
    EXPECT_TRUE(ExtractBody(Make("b.htm",
                                 "<HTML>\r\n<HEAD><TITLE>t</TITLE></HEAD>\r\n<Body BGCOLOR=red>\r\n"
                                 "<P>Caf\xc3\xa9 &amp; more</P>\r\n</body>\r\n</HTML>\r\n"),
                            body, nullptr));
    EXPECT_EQ(body, "\r\n<P>Caf\xc3\xa9 &amp; more</P>\r\n");
    // Longer tag names that begin with BODY count too.
    EXPECT_TRUE(ExtractBody(Make("c.htm", "<BODYX>in</BODY>"), body, nullptr));
    EXPECT_EQ(body, "in");
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(HtmlFiles, ExtractBodyFailuresLeaveTheOutputAlone) {
    const struct {
        const char* name;
        const char* content;
        const char* error;
    } cases[] = {
        {"none.htm", "<HTML>text</HTML>", "No BODY tag found in file '%s'."},
        {"open.htm", "<BODY <b>text", "Cannot parse BODY tag in file '%s'."},
        {"noend.htm", "<BODY>text", "No /BODY tag found in file '%s'."},
        {"empty.htm", "", "No BODY tag found in file '%s'."},
    };
    for (const auto& c : cases) {
        const std::string path = Make(c.name, c.content);
        std::string body = "untouched";
        EXPECT_FALSE(ExtractBody(path, body, nullptr)) << c.name;
        EXPECT_EQ(body, "untouched");
        std::string error = c.error;
        error.replace(error.find("%s"), 2, path);
        ASSERT_FALSE(boxes->Boxes().empty());
        EXPECT_EQ(boxes->Boxes().back().text,
                  "Cannot extract BODY from this HTML file\n\n" + error);
        EXPECT_EQ(boxes->Boxes().back().flags, MB_OK | MB_ICONSTOP);
    }
}

TEST_F(HtmlFiles, AddGeneratorMetaPutsTheMarkIntoTheHead) {
    const std::string withHead = Make("head.htm", "<html>\r\n<head>\r\n<title>x</title>");
    EXPECT_TRUE(AddGeneratorMeta(withHead, nullptr));
    EXPECT_EQ(ReadFileBytes(withHead),
              "<html>\r\n<head>\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\n\r\n"
              "<title>x</title>");

    // A head with attributes is not "<HEAD>": a new head follows the html tag.
    const std::string headAttributes = Make("attr.htm", "<HTML><HEAD LANG=en></HEAD>");
    EXPECT_TRUE(AddGeneratorMeta(headAttributes, nullptr));
    EXPECT_EQ(ReadFileBytes(headAttributes),
              "<HTML>\n<HEAD>\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\n</HEAD>\n"
              "<HEAD LANG=en></HEAD>");

    // Marking twice changes nothing.
    EXPECT_TRUE(AddGeneratorMeta(headAttributes, nullptr));
    EXPECT_EQ(ReadFileBytes(headAttributes).find(kMark),
              ReadFileBytes(headAttributes).rfind(kMark));
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(HtmlFiles, MarkInOtherLetterCaseCountsForMarkingButNotAsGenerated) {
    const std::string lower = "<html><meta name=\"generator\" content=\"mavren 1.0\"></html>";
    const std::string path = Make("lower.htm", lower);
    EXPECT_TRUE(AddGeneratorMeta(path, nullptr));
    EXPECT_EQ(ReadFileBytes(path), lower);
    EXPECT_FALSE(IsGeneratedFile(path, nullptr));
    EXPECT_TRUE(IsGeneratedFile(
        Make("ours.htm", std::string("<META NAME=\"generator\" ") + kMark + ">"), nullptr));
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(HtmlFiles, FilesWithoutTagsOrUnreadableAreReportedAndLeftAlone) {
    const std::string bare = Make("bare.htm", "just text");
    EXPECT_FALSE(AddGeneratorMeta(bare, nullptr));
    EXPECT_EQ(ReadFileBytes(bare), "just text");
    EXPECT_FALSE(AddGeneratorMeta(Make("empty.htm", ""), nullptr));
    EXPECT_FALSE(IsGeneratedFile(dir / "missing.htm", nullptr));
    const auto texts = boxes->Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0],
              "Cannot add META-GENERATOR tag to file\n\n"
              "No <HTML> or <HEAD> tag found in file '" +
                  bare + "'.");
    EXPECT_EQ(texts[1].rfind("Cannot add META-GENERATOR tag to file\n\nNo <HTML>", 0), 0u);
    EXPECT_EQ(
        texts[2].rfind("Cannot check if file was generated by Mavren\n\nCannot get status", 0), 0u);
}

TEST_F(HtmlFiles, ApplyBoilerplatePutsTheBodyAtEveryTag) {
    const std::string page = Make("INDEX000.HTM",
                                  "<HTML>\r\n<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">\r\n"
                                  "<BODY  TEXT=\"Red\">\r\n<FONT SIZE=\"2\">body</FONT>\r\n"
                                  "</BODY>\r\n</HTML>\r\n");
    const std::string boilerplate =
        Make("plate.htm",
             "<HTML><HEAD><TITLE>Site</TITLE></HEAD><BODY BGCOLOR=White>"
             "<MAVREN-BOILERPLATE><HR><MAVREN-BOILERPLATE></BODY></HTML>");
    ASSERT_TRUE(ApplyBoilerplate(page, boilerplate, {}, nullptr));
    const std::string body = "\r\n<FONT SIZE=\"2\">body</FONT>\r\n";
    EXPECT_EQ(ReadFileBytes(page), "<HTML><HEAD><TITLE>Site</TITLE></HEAD><BODY BGCOLOR=White>" +
                                       body + "<HR>" + body + "</BODY></HTML>");
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(HtmlFiles, ApplyBoilerplateLeavesThePageWhenTheBoilerplateIsUnusable) {
    const std::string original = "<HTML><BODY>page</BODY></HTML>";
    const std::string page = Make("GEN0000.HTM", original);
    auto window = std::make_shared<RecordingReceiver>();
    EXPECT_FALSE(ApplyBoilerplate(page, Make("plate.htm", "<HTML>no tag</HTML>"), {}, window));
    EXPECT_FALSE(ApplyBoilerplate(Make("GEN0001.HTM", "<HTML>no body</HTML>"),
                                  Make("plate2.htm", "<MAVREN-BOILERPLATE>"), {}, window));
    EXPECT_EQ(ReadFileBytes(page), original);
    const auto messages = window->Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Cannot use file for boilerplate", 0), 0u);
    EXPECT_EQ(messages[1].text.rfind("Cannot extract BODY from this HTML file", 0), 0u);
    EXPECT_EQ(messages[1].wParam, static_cast<int>(MB_OK | MB_ICONSTOP));
}

}  // namespace
