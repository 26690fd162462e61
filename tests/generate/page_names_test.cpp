// Content pages named after their files: clean, unique ignoring letter case, and the same
// whatever else comes, goes or moves.

#include "generate/page_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(NamedContentPages, CleanUniqueAndIndependentOfOrder) {
    const std::string longStem(230, 'x');
    const struct {
        Names sources;
        Names pages;
        Names taken = {"index.html"};
    } cases[] = {
        {{"IMG_2041.JPG"}, {"IMG_2041.html"}},
        {{"/photos/Harbour at dawn!.jpg"}, {"Harbour-at-dawn.html"}},
        {{"--a  b--.jpg", "a - b.png"}, {"a-b.html", "a---b.html"}},
        {{"Zürich Straße.jpg", "東京 2024.jpg"}, {"Zürich-Straße.html", "東京-2024.html"}},
        {{"Cafe\xcc\x81.jpg"}, {"Cafe\xcc\x81.html"}},  // the accent as a mark of its own
        {{"bad\xff\xfe name.jpg"}, {"bad-name.html"}},
        {{"!!!.jpg", ".png", "noextension"},
         {"photo-jpg.html", "photo-png.html", "noextension.html"}},
        {{"a.b.c.jpg"}, {"a-b-c.html"}},
        // Clashes ignoring letter case bring in the extension.
        {{"a.jpg", "a.png"}, {"a-jpg.html", "a-png.html"}},
        {{"a b.jpg", "a-b.jpg"}, {"a-b-jpg.html", "a-b-jpg-2.html"}},
        {{"Ärger.JPG", "ärger.png"}, {"Ärger-jpg.html", "ärger-png.html"}},
        {{"index.jpg", "Index.png", "INDEX000.jpg"},
         {"index-jpg.html", "Index-png.html", "INDEX000.html"}},
        {{"about.html", "team.htm"}, {"about-html.html", "team.html"}, {"about.html"}},
        // Still clashing: numbered in the order of the file names.
        {{"a-b.jpg", "a b.jpg", "a  b.jpg"}, {"a-b-jpg-3.html", "a-b-jpg-2.html", "a-b-jpg.html"}},
        {{"a.jpg", "a.png", "a-jpg.gif"}, {"a-jpg-2.html", "a-png.html", "a-jpg.html"}},
        {{"a.jpg", "A.jpg", "a-jpg-2.gif"}, {"a-jpg-3.html", "A-jpg.html", "a-jpg-2.html"}},
        // Cut to fit a file name, and told apart like any other clash.
        {{longStem + "1.jpg", longStem + "2.jpg"},
         {std::string(200, 'x') + "-jpg.html", std::string(200, 'x') + "-jpg-2.html"}},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(NamedContentPages(row.sources, row.taken), row.pages) << row.sources.front();
        // Reversed, every source keeps its page.
        Names sources = row.sources;
        Names pages = row.pages;
        std::reverse(sources.begin(), sources.end());
        std::reverse(pages.begin(), pages.end());
        EXPECT_EQ(NamedContentPages(sources, row.taken), pages) << row.sources.front();
    }
}

TEST(ContentPageNames, NumberedUnlessNamedAfterTheFiles) {
    Program program;
    program.ApplyDefaults();
    program.SetString(ProgramKey::SourceDir, "/photos");
    program.SetString(ProgramKey::TargetDir, "/photos/site");
    const Names sources = {"/photos/b.jpg", "/photos/index.jpg"};
    EXPECT_EQ(ContentPageNames(program, sources), (Names{"GEN0000.HTM", "GEN0001.HTM"}));
    program.SetInt(ProgramKey::PageNamesFromFiles, 1);
    EXPECT_EQ(ContentPageNames(program, sources), (Names{"b.html", "index-jpg.html"}));
    // Made among the sources, a page keeps clear of them.
    program.SetString(ProgramKey::SourceFileExtension, "*.htm;*.html");
    program.SetString(ProgramKey::TargetDir, "/photos");
    EXPECT_EQ(ContentPageNames(program, {"/photos/b.html", "/photos/c.htm"}),
              (Names{"b-html.html", "c.html"}));
}

}  // namespace
