#include "generate/html_attributes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

using K = ProgramKey;

class HtmlAttributes : public ::testing::Test {
  protected:
    HtmlAttributes() {
        program.ApplyDefaults();
        program.SetString(K::TargetDir, target);
        WriteFileBytes(target + "/.keep", "");
    }

    std::string Body() {
        std::string attributes = "stale";
        EXPECT_TRUE(BuildBodyAttributes(program, attributes, nullptr));
        return attributes;
    }

    std::string Font() {
        std::string tag = "stale";
        BuildFontTag(program, tag);
        return tag;
    }

    TempDir dir;
    std::string target = dir / "site";
    Program program;
    ScopedScriptedBoxes boxes;
};

TEST_F(HtmlAttributes, BackgroundByStyle) {
    const std::string image = dir / "pics/tile.gif";
    WriteFileBytes(image, "tile");
    program.SetString(K::HtmlBackgroundImage, image);
    program.SetString(K::HtmlBackgroundColor, "Navy");
    program.SetInt(K::HtmlBackgroundFixed, 1);
    program.SetString(K::HtmlTextColorColor, "#FFFF00");
    const struct {
        int style;
        const char* attributes;
    } cases[] = {
        {0, " BACKGROUND=\"tile.gif\" BGPROPERTIES=\"fixed\" TEXT=\"#FFFF00\""},
        {1, " BGCOLOR=\"Navy\" TEXT=\"#FFFF00\""},
        {-1, " TEXT=\"#FFFF00\""},
        {7, " TEXT=\"#FFFF00\""},
    };
    for (const auto& c : cases) {
        program.SetInt(K::HtmlBackgroundStyle, c.style);
        EXPECT_EQ(Body(), c.attributes) << "style " << c.style;
    }
    EXPECT_EQ(ReadFileBytes(target + "/tile.gif"), "tile");
    // A second and third page get the same attributes.
    program.SetInt(K::HtmlBackgroundStyle, 0);
    EXPECT_EQ(Body(), Body());
}

TEST_F(HtmlAttributes, ImageStyleWithoutImageAddsAndCopiesNothing) {
    program.SetInt(K::HtmlBackgroundStyle, 0);
    program.SetInt(K::HtmlBackgroundFixed, 1);
    program.SetString(K::HtmlLinkColor, "Lime");
    program.SetString(K::HtmlVLinkColor, "Olive");
    program.SetString(K::HtmlALinkColor, "Red");
    EXPECT_EQ(Body(), " LINK=\"Lime\" VLINK=\"Olive\" ALINK=\"Red\"");
}

TEST_F(HtmlAttributes, ColoursAndFontsAreWrittenAsTyped) {
    program.SetInt(K::HtmlBackgroundStyle, 1);
    program.SetString(K::HtmlBackgroundColor, "light \"blue\"");
    EXPECT_EQ(Body(), " BGCOLOR=\"light \"blue\"\"");
    const struct {
        const char* face;
        const char* size;
        const char* tag;
    } cases[] = {
        {"Arial", "", "<FONT FACE=\"Arial\">"},
        {"Arial", "3", "<FONT FACE=\"Arial\" SIZE=\"3\">"},
        {"", "+1", "<FONT  SIZE=\"+1\">"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        program.SetString(K::HtmlFontFace, c.face);
        program.SetString(K::HtmlFontSize, c.size);
        EXPECT_EQ(Font(), c.tag);
    }
}

TEST_F(HtmlAttributes, BackgroundNameIsEncodedForTheAttribute) {
    const std::string image = dir / "my tile#2.gif";
    WriteFileBytes(image, "tile");
    program.SetInt(K::HtmlBackgroundStyle, 0);
    program.SetString(K::HtmlBackgroundImage, image);
    EXPECT_EQ(Body(), " BACKGROUND=\"my%20tile%232.gif\"");
}

TEST_F(HtmlAttributes, WebAddressIsWrittenAsItStandsAndNotCopied) {
    program.SetInt(K::HtmlBackgroundStyle, 0);
    for (const char* address : {"https://example.org/tile.gif", "HTTP://example.org/a b.gif",
                                "//cdn.example.org/t.png"}) {
        program.SetString(K::HtmlBackgroundImage, address);
        EXPECT_EQ(Body(), std::string(" BACKGROUND=\"") + address + "\"");
    }
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target),
                            std::filesystem::directory_iterator()),
              1)
        << "only .keep";
}

TEST_F(HtmlAttributes, FailedCopyIsReportedAndTheRestIsStillBuilt) {
    program.SetInt(K::HtmlBackgroundStyle, 0);
    program.SetString(K::HtmlBackgroundImage, dir / "missing.gif");
    program.SetInt(K::HtmlBackgroundFixed, 1);
    program.SetString(K::HtmlTextColorColor, "Navy");
    std::string attributes = "stale";
    EXPECT_FALSE(BuildBodyAttributes(program, attributes, nullptr));
    EXPECT_EQ(attributes, " TEXT=\"Navy\"");
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(
        boxes->Texts()[0].rfind("Failed to copy background image:\n\n   " + dir / "missing.gif" +
                                    "\nto\n  " + target + "/missing.gif\n\n(",
                                0),
        0u);
}

}  // namespace
