#include "document/new_program_defaults.h"

#include <gtest/gtest.h>

#include "document/pattern_expansion.h"
#include "document/program.h"

namespace {

// The title shows the folder's own name on the index pages, whatever the name holds.
TEST(NewProgramDefaults, TheIndexTitleShowsTheSourceFolderName) {
    const struct {
        std::string folder;
        std::string shown;
    } cases[] = {
        {"/home/ann/Trip", "Trip"},
        {"/home/ann/Trip/", "Trip"},
        {"/home/ann/100% %P Rome", "100% %P Rome"},
        {"/home/ann/%%", "%%"},
        {"/", "/"},
    };
    for (const auto& c : cases) {
        Program program;
        program.ApplyDefaults();
        ApplyNewProgramDefaults(program, {c.folder, "/srv/site", "*.txt", false, {}});
        EXPECT_EQ(
            ExpandPattern(program, ProgramKey::IndexPageTitle, "/srv/site/INDEX000.HTM", 0, 0),
            c.shown)
            << c.folder;
    }
}

// New programs, of pictures or not, give their site an index.html; the default program
// (and so every program written before) does not.
TEST(NewProgramDefaults, NewProgramsGetAnIndexHtmlStartPage) {
    Program program;
    program.ApplyDefaults();
    EXPECT_FALSE(program.GetBool(ProgramKey::SiteIndexHtml));
    for (const bool pictures : {true, false}) {
        ApplyNewProgramDefaults(program, {"/home/ann/Trip", "/srv/site", "*.txt", pictures, {}});
        EXPECT_TRUE(program.GetBool(ProgramKey::SiteIndexHtml)) << pictures;
    }
}

}  // namespace
