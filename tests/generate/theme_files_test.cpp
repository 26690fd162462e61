// The files a boilerplate names beside itself: copied once to the site's top under a name
// of their bytes, addressed from every album, replaced when they change, and a missing one
// named in the stop box.

#include "generate/theme_files.h"

#include <filesystem>

#include "album_fixture.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

TEST(ThemeFileNamesTest, TagsAndCopyNames) {
    EXPECT_EQ(ThemeFileNames("<link href=\"<MAVREN-FILE:a.css>\"><MAVREN-FILE:b.js>"
                             "<MAVREN-FILE:a.css><MAVREN-FILE:cut"),
              (std::vector<std::string>{"a.css", "b.js"}));
    const struct {
        const char* name;
        const char* copy;
    } names[] = {
        {"theme.css", "theme.882547c9.css"},
        {"photoswipe.umd.min.js", "photoswipe.umd.min.882547c9.js"},
        {"LICENSE", "LICENSE.882547c9"},
        {".hidden", ".hidden.882547c9"},
    };
    for (const auto& row : names) {
        EXPECT_EQ(ThemeCopyName(row.name, "body{}"), row.copy);
    }
    EXPECT_NE(ThemeCopyName("theme.css", "body{ }"), "theme.882547c9.css");
}

class ThemeFilesTest : public AlbumTest {
  protected:
    ThemeFilesTest() {
        fs::create_directories(theme);
        WriteFileBytes(theme + "/page.htm",
                       "<html><head><link rel=\"stylesheet\" href=\"<MAVREN-FILE:look.css>\">"
                       "</head><body><MAVREN-BOILERPLATE></body></html>");
        program.SetString(ProgramKey::IndexBoilerplate, theme + "/page.htm");
        program.SetString(ProgramKey::ContentBoilerplate, theme + "/page.htm");
        EXPECT_TRUE(program.Save(program.path).ok());
    }

    // The address of the style sheet in the page.
    std::string StyleSheet(const std::string& page) {
        const std::string text = Page(page);
        const std::size_t start = text.find("<link rel=\"stylesheet\" href=\"");
        return start == std::string::npos
                   ? std::string()
                   : text.substr(start + 29, text.find('"', start + 29) - start - 29);
    }

    std::string theme = dir / "Trip-theme";
};

TEST_F(ThemeFilesTest, CopiedOnceAtTheTopAndReplacedWhenChanged) {
    for (const char* look : {"body{color:red}", "body{color:blue}"}) {
        SCOPED_TRACE(look);
        WriteFileBytes(theme + "/look.css", look);
        ASSERT_EQ(Generate(), kRunFinished);
        const std::string copy = "Theme/" + ThemeCopyName("look.css", look);
        EXPECT_EQ(FileNames(target + "/Theme"), (std::vector<std::string>{PathFileName(copy)}));
        EXPECT_EQ(ReadFileBytes(target + "/" + copy), look);
        EXPECT_EQ(StyleSheet("INDEX000.HTM"), copy);
        EXPECT_EQ(StyleSheet("GEN0000.HTM"), copy);
        EXPECT_EQ(StyleSheet("Trip to Rome/Day 1/INDEX000.HTM"), "../../" + copy);
        EXPECT_EQ(StyleSheet("Zürich/GEN0000.HTM"), "../" + copy);
    }
}

TEST_F(ThemeFilesTest, AMissingFileStopsTheRunNamingIt) {
    ASSERT_NE(Generate(), kRunFinished);
    const std::vector<std::string> errors = window->Texts(WM_APP_ERROR_TEXT);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Cannot use the file \"look.css\" that the boilerplate \"" + theme +
                                  "/page.htm\" names\n\n",
                              0),
              0u)
        << errors[0];
    EXPECT_FALSE(fs::exists(target + "/Theme"));
}

}  // namespace
