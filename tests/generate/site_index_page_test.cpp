// index.html at the top of a site: the start page itself, kept up to date, removed when
// no longer wanted, and never taken from the user.

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>

#include "album_fixture.h"
#include "generate/album_record.h"
#include "support/site_links.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;
using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kUsersOwn[] = "Not Mavren's index.html";

bool Said(const RecordingReceiver& window, const std::string& text) {
    const auto texts = window.StatusTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Turned on, off, and on again with the user's own file in the way, for a site of
// pictures and for one of content pages only.
TEST_F(SiteTest, IndexHtmlIsTheStartPageUntilTurnedOff) {
    const struct {
        const char* name;
        bool contentOnly;
        const char* startPage;
    } cases[] = {
        {"pictures", false, "INDEX000.HTM"},
        {"content pages only", true, "GEN0000.HTM"},
    };
    AddExamplePhoto("Fjord.jpg");
    AddExamplePhoto("Bubbles.gif");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(target);
        program.SetInt(K::GenerateIndexPage, c.contentOnly ? 0 : 1);
        program.SetInt(K::ContentShowLinkIndex, c.contentOnly ? 0 : 1);
        program.SetInt(K::SiteIndexHtml, 1);
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(Page("index.html"), Page(c.startPage)) << "the start page itself";
        EXPECT_THAT(BrokenSiteLinks(target), IsEmpty());

        program.SetInt(K::SiteIndexHtml, 0);
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_FALSE(fs::exists(target + "/index.html"));
        EXPECT_TRUE(Said(*window, "Removed stale \"index.html\""));

        WriteFileBytes(target + "/index.html", kUsersOwn);
        program.SetInt(K::SiteIndexHtml, 1);
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(Page("index.html"), kUsersOwn);
        EXPECT_TRUE(
            Said(*window, "index.html in the target folder is not Mavren's and was left alone."));
        program.SetInt(K::SiteIndexHtml, 0);
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(Page("index.html"), kUsersOwn);
    }
}

// A run that writes neither index nor content pages has no start page to show.
TEST_F(SiteTest, IndexHtmlGoesWithTheStartPage) {
    AddExamplePhoto("Fjord.jpg");
    program.SetInt(K::SiteIndexHtml, 1);
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_TRUE(fs::exists(target + "/index.html"));
    program.SetInt(K::GenerateIndexPage, 0);
    program.SetInt(K::GenerateContentPages, 0);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_FALSE(fs::exists(target + "/index.html"));
}

// Only the top of the target gets one, and the record of the albums knows it as the top
// album's, so that an unchanged rerun keeps it and a changed one removes it.
TEST_F(AlbumTest, OnlyTheTopOfASiteOfAlbumsHasAnIndexHtml) {
    program.SetInt(K::SiteIndexHtml, 1);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(Page("index.html"), Page("INDEX000.HTM"));
    for (const auto& entry : fs::recursive_directory_iterator(target)) {
        if (entry.path().filename() == "index.html") {
            EXPECT_EQ(entry.path().parent_path(), fs::path(target)) << entry.path();
        }
    }
    EXPECT_THAT(BrokenSiteLinks(target), IsEmpty());
    AlbumRecord record;
    const Result loaded = LoadAlbumRecord(AlbumRecordPath(target), target, record);
    ASSERT_TRUE(loaded.ok()) << loaded.text();
    std::vector<std::string> topOutputs;
    for (const AlbumOutputFile& file : record.albums[""].outputs) {
        topOutputs.push_back(file.path);
    }
    EXPECT_THAT(topOutputs, Contains("index.html"));
    EXPECT_THAT(record.albums["Zürich"].outputs,
                Not(Contains(::testing::Field(&AlbumOutputFile::path, "index.html"))));

    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(Page("index.html"), Page("INDEX000.HTM")) << "kept by an unchanged rerun";
    program.SetInt(K::SiteIndexHtml, 0);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_FALSE(fs::exists(target + "/index.html"));
}

}  // namespace
