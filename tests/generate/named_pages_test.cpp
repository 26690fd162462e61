// Sites whose content pages are named after their files: what a rerun removes, and where
// the site starts.

#include <filesystem>
#include <functional>

#include "album_fixture.h"
#include "generate/site_start_page.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

TEST_F(SiteTest, PagesOfPhotosThatLeftAndNumberedPagesBeforeThemGo) {
    const struct {
        const char* what;
        bool saved;  // only a saved program's runs are recorded
        bool namedBefore;
        std::function<void()> change;
        std::vector<std::string> gone;
        std::vector<std::string> present;
    } cases[] = {
        {"renamed",
         true,
         true,
         [this] { fs::rename(source + "/Fjord.jpg", source + "/Fjord at dusk.jpg"); },
         {"Fjord.html"},
         {"Fjord-at-dusk.html", "Meadow.html"}},
        {"removed",
         true,
         true,
         [this] { fs::remove(source + "/Meadow.jpg"); },
         {"Meadow.html"},
         {"Fjord.html"}},
        {"numbered before, by a program never saved",
         false,
         false,
         [] {},
         {"GEN0000.HTM", "GEN0001.HTM"},
         {"Fjord.html", "Meadow.html", "INDEX000.HTM"}},
    };
    for (const auto& row : cases) {
        fs::remove_all(target);
        fs::remove_all(source);
        fs::remove(AlbumRecordPath(target));
        fs::create_directories(source);
        AddExamplePhoto("Fjord.jpg");
        AddExamplePhoto("Meadow.jpg");
        program.path = row.saved ? dir / "site.mav" : "";
        program.SetInt(K::PageNamesFromFiles, row.namedBefore ? 1 : 0);
        if (row.saved) {
            ASSERT_TRUE(program.Save(program.path).ok());
        }
        ASSERT_EQ(Generate(), kRunFinished) << row.what;
        row.change();
        program.SetInt(K::PageNamesFromFiles, 1);
        ASSERT_EQ(Generate(), kRunFinished) << row.what;
        for (const std::string& name : row.gone) {
            EXPECT_FALSE(fs::exists(target + "/" + name)) << row.what << ": " << name;
        }
        for (const std::string& name : row.present) {
            EXPECT_TRUE(fs::exists(target + "/" + name)) << row.what << ": " << name;
        }
    }
}

TEST_F(AlbumTest, NamedPagesGoWithTheirAlbum) {
    program.SetInt(K::PageNamesFromFiles, 1);
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_TRUE(fs::exists(target + "/Zürich/Glacier.html"));
    fs::remove_all(source + "/Zürich");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_FALSE(fs::exists(target + "/Zürich"));
}

TEST_F(SiteTest, ASiteOfNamedContentPagesOnlyStartsAtTheFirstPhotosPage) {
    AddExamplePhoto("Meadow.jpg");
    AddExamplePhoto("Fjord.jpg", "Fjord 1.jpg");
    AddExamplePhoto("Pebbles.png", "Fjord-1.png");
    program.SetInt(K::GenerateIndexPage, 0);
    program.SetInt(K::PageNamesFromFiles, 1);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(LastStartPage(), target + "/Fjord-1-jpg.html");
    EXPECT_EQ(SiteStartPage(program), LastStartPage()) << "what Test opens";
}

}  // namespace
