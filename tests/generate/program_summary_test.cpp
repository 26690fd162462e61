#include "generate/program_summary.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using K = ProgramKey;

// The value of the line with label, or "(left out)" when there is none.
std::string ValueOf(const Program& program, const std::string& label) {
    for (const SettingLine& line : SettingLines(program)) {
        if (line.label == label) {
            return line.value;
        }
    }
    return "(left out)";
}

TEST(ProgramSummary, SettingsReadAsWords) {
    struct Case {
        std::vector<std::pair<ProgramKey, const char*>> settings;  // over the defaults
        const char* label;
        const char* value;
    };
    const Case cases[] = {
        {{}, "Last generated", "Never"},
        {{}, "Source folder", "None"},
        {{{K::SourceDir, "/home/ann/Cats"}}, "Source folder", "/home/ann/Cats"},
        {{}, "Index pages", "Yes"},
        {{{K::GenerateContentPages, "No"}}, "Content pages", "No"},
        {{{K::SourceFileExtension, "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif"}},
         "Source files",
         "Pictures"},
        {{{K::SourceFileExtension, "*.txt"}}, "Source files", "Text files"},
        {{{K::SourceFileExtension, "*.mp4"}}, "Source files", "Files matching *.mp4"},
        {{}, "Index title", "Files from %P"},
        {{}, "Thumbnails", "Yes, 120 by 120 pixels"},
        {{{K::GenerateThumbnails, "No"}}, "Thumbnails", "No"},
        {{}, "Index layout", "For a typical browser window, 3 across, 3 down"},
        {{{K::IndexThumbnailLayoutType, "1"},
          {K::IndexThumbnailsAcross, "3"},
          {K::IndexThumbnailsDown, "5"}},
         "Index layout",
         "Grid, 3 across, 5 down"},
        {{{K::IndexGenerateMultiplePages, "No"}, {K::IndexThumbnailLayoutType, "1"}},
         "Index layout",
         "All on one page"},
        {{}, "Thumbnail labels", "File name and size"},
        {{{K::IndexThumbnailLabelType, "2"}, {K::IndexThumbnailCustomLabel, "%F (%S)"}},
         "Thumbnail labels",
         "Custom: %F (%S)"},
        {{{K::IndexLabelThumbnails, "No"}}, "Thumbnail labels", "None"},
        {{}, "Content labels", "None"},
        {{}, "Links on content pages", "Previous, Index, Next"},
        {{{K::ContentShowLinkIndex, "No"},
          {K::ContentShowLinkNext, "No"},
          {K::ContentShowLinkPrev, "No"}},
         "Links on content pages",
         "None"},
        {{{K::ContentImageIsLink, "Yes"}, {K::ContentImageIsLinkStyle, "1"}},
         "Picture is a link",
         "Yes, to the index"},
        {{}, "Link words", "Standard"},
        {{{K::ContentLinkNextLabel, "On"}}, "Link words", "Next \"On\""},
        {{}, "Background", "None"},
        {{{K::HtmlBackgroundStyle, "1"}, {K::HtmlBackgroundColor, "navy"}}, "Background", "Navy"},
        {{{K::HtmlBackgroundStyle, "0"},
          {K::HtmlBackgroundImage, "paper.jpg"},
          {K::HtmlBackgroundFixed, "Yes"}},
         "Background",
         "Picture paper.jpg, fixed"},
        {{{K::HtmlBackgroundColor, "Navy"}}, "Background", "None"},
        {{{K::HtmlTextColorColor, "#FF8000"}}, "Text colour", "#ff8000"},
        {{{K::HtmlLinkColor, "0000ff"}}, "Link colour", "Blue"},
        {{{K::HtmlVLinkColor, "dark red"}}, "Visited link colour", "dark red"},
        {{}, "Active link colour", "None"},
        {{}, "GIF thumbnails", "A generic picture"},
        {{{K::MiscGifThumbnailType, "2"}}, "GIF thumbnails", "From the folder None"},
        {{{K::MiscGifThumbnailType, "3"}}, "GIF thumbnails", "Made from the first frame"},
        // Photo settings at their standard values are left out, as the file leaves them out.
        {{}, "Web-size copies", "(left out)"},
        {{{K::PhotoWebQuality, "90"}}, "Web-size copies", "No"},
        {{{K::PhotoWebSize, "1600"}},
         "Web-size copies",
         "Yes, 1600 pixels on the longest side, quality 82"},
        {{{K::PhotoOrder, "2"}}, "Order", "By date taken, newest first"},
        {{{K::PhotoPublishOriginals, "No"}}, "Publish the originals", "No"},
        {{}, "Page language", "(left out)"},
        {{{K::PageLanguage, "de-CH"}}, "Page language", "de-CH"},
    };
    for (const Case& c : cases) {
        Program program;
        program.ApplyDefaults();
        for (const auto& [id, text] : c.settings) {
            program.SetText(id, text);
        }
        EXPECT_EQ(ValueOf(program, c.label), c.value) << c.label;
    }
}

// Every key of the program's table that is listed shows in the summary: changing it alone
// changes a line (or brings one in), and changing a key that is not listed changes none.
// Some keys only count once others are set; those others come first.
TEST(ProgramSummary, EveryListedKeyShowsItsValue) {
    using Settings = std::vector<std::pair<ProgramKey, const char*>>;
    const std::pair<ProgramKey, Settings> needs[] = {
        {K::IndexThumbnailsAcross, {{K::IndexThumbnailLayoutType, "1"}}},
        {K::IndexThumbnailsDown, {{K::IndexThumbnailLayoutType, "1"}}},
        {K::IndexThumbnailCustomLabel, {{K::IndexThumbnailLabelType, "2"}}},
        {K::ContentImageIsLinkStyle, {{K::ContentImageIsLink, "Yes"}}},
        {K::ContentLabelType, {{K::ContentShowLabels, "Yes"}}},
        {K::ContentCustomLabel, {{K::ContentShowLabels, "Yes"}, {K::ContentLabelType, "2"}}},
        {K::HtmlBackgroundStyle, {{K::HtmlBackgroundImage, "paper.jpg"}}},
        {K::HtmlBackgroundImage, {{K::HtmlBackgroundStyle, "0"}}},
        {K::HtmlBackgroundFixed, {{K::HtmlBackgroundStyle, "0"}, {K::HtmlBackgroundImage, "a"}}},
        {K::HtmlBackgroundColor, {{K::HtmlBackgroundStyle, "1"}}},
        {K::MiscGifThumbnailDir, {{K::MiscGifThumbnailType, "2"}}},
        {K::PhotoWebQuality, {{K::PhotoWebSize, "1600"}}},
        {K::PhotoVideoSize, {{K::PhotoVideos, "Yes"}}},
        {K::PhotoVideoThreads, {{K::PhotoVideos, "Yes"}}},
    };
    for (const KeyDescriptor& row : kKeyTable) {
        Program program;
        program.ApplyDefaults();
        for (const auto& [id, settings] : needs) {
            for (const auto& [other, text] : settings) {
                if (id == row.id) {
                    program.SetText(other, text);
                }
            }
        }
        const std::string before = ProgramSummary(program);
        switch (row.type) {
            case KeyType::Date:
                program.SetDate(row.id, program.GetDate(row.id) + 1);
                break;
            case KeyType::String:
                program.SetString(row.id, program.GetText(row.id) + "x");
                break;
            case KeyType::Bool:
                program.SetInt(row.id, program.GetBool(row.id) ? 0 : 1);
                break;
            case KeyType::Int:
                program.SetInt(row.id, program.GetInt(row.id) + 1);
                break;
        }
        EXPECT_EQ(ProgramSummary(program) != before, row.listed) << row.name << "\n" << before;
    }
}

TEST(ProgramSummary, HeadingsOnceWithAnEmptyLineBetween) {
    Program program;
    program.ApplyDefaults();
    const std::string text = ProgramSummary(program);
    EXPECT_EQ(text.rfind("Generation\n   Last generated: Never\n   Source folder: None\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("   Content pages: Yes\n\nIndex pages\n   Source files: None\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Photos"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
}

}  // namespace
