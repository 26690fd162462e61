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

}  // namespace
