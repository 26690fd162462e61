// Where a new program and its site go when the user names no folder: beside the source
// folder, in a site folder of its own that nothing else uses yet.

#include "document/new_program_place.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// HOME pointed at a folder for the life of the object.
class ScopedHome {
  public:
    explicit ScopedHome(const std::string& home) {
        if (const char* old = std::getenv("HOME"); old != nullptr) {
            previous = old;
        }
        ::setenv("HOME", home.c_str(), 1);
    }
    ~ScopedHome() {
        if (previous) {
            ::setenv("HOME", previous->c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

  private:
    std::optional<std::string> previous;
};

TEST(NewProgramPlace, TheSiteGetsAFolderOfItsOwnBesideTheSource) {
    struct Case {
        std::string source;                // below the test folder; "/" as it is
        std::vector<std::string> present;  // "name/": a folder; "name>": a link to a folder
        std::string site;                  // below the test folder
        std::string programFolder;
    };
    const Case cases[] = {
        {"home/Trip", {}, "home/Trip site", "home"},
        {"home/Trip/", {}, "home/Trip site", "home"},
        {"home/Trip", {"home/Trip site/"}, "home/Trip site", "home"},  // made, never filled
        {"home/Trip", {"home/Trip site"}, "home/Trip site 2", "home"},
        {"home/Trip", {"home/Trip site/INDEX000.HTM"}, "home/Trip site 2", "home"},
        {"home/Trip", {"home/Trip site>"}, "home/Trip site 2", "home"},
        {"home/Trip",
         {"home/Trip site/a.jpg", "home/Trip site 2", "home/Trip site 3/"},
         "home/Trip site 3",
         "home"},
        {"home/Pictures/2024/100% Rome",
         {},
         "home/Pictures/2024/100% Rome site",
         "home/Pictures/2024"},
        {"home", {}, "home/home site", "home"},  // the home folder: into it
        {"/", {}, "home/Site", "home"},
        {"/", {"home/Site/a"}, "home/Site 2", "home"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        fs::create_directories(dir / "home");
        fs::create_directories(dir / "elsewhere");
        const ScopedHome home(dir / "home");
        const std::string source = c.source == "/" ? c.source : dir / c.source;
        fs::create_directories(source);
        for (const std::string& entry : c.present) {
            if (entry.ends_with('/')) {
                fs::create_directories(dir / entry);
            } else if (entry.ends_with('>')) {
                fs::create_directory_symlink(dir / "elsewhere",
                                             dir / entry.substr(0, entry.size() - 1));
            } else {
                WriteFileBytes(dir / entry, "");
            }
        }
        EXPECT_EQ(DefaultSiteFolder(source), dir / c.site) << c.source;
        EXPECT_EQ(NewProgramFolder(source), dir / c.programFolder) << c.source;
    }
    EXPECT_EQ(DefaultSiteFolder(""), "");
    EXPECT_EQ(NewProgramFolder(""), "");
}

}  // namespace
