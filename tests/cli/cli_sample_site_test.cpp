// The sample sites of `make demo`, made by the same commands: every link of every page
// leads to a file of the site, and the site's address shows its start page.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_program.h"
#include "support/site_links.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

ProgramRun Cli(const std::vector<std::string>& arguments) {
    return RunProgram(MAVREN_CLI, arguments, "");
}

TEST(CliSampleSites, EveryLinkOfTheSampleSitesHolds) {
    TempDir dir;
    const std::string examples = MAVREN_SOURCE_DIR "/examples";
    const std::string albums = dir / "Albums";
    fs::create_directories(albums + "/Photos/Moving pictures");
    fs::create_directories(albums + "/Travel");
    for (const auto& entry : fs::directory_iterator(examples + "/photos")) {
        const bool moving =
            entry.path().extension() == ".gif" || entry.path().extension() == ".mp4";
        fs::copy_file(entry.path(),
                      (moving ? albums + "/Photos/Moving pictures/" : albums + "/Photos/") +
                          entry.path().filename().string());
    }
    fs::copy(examples + "/travel", albums + "/Travel");
    const struct {
        const char* name;
        std::string source;
        std::vector<std::string> options;
        std::vector<std::string> settings;
    } sites[] = {
        {"photos",
         examples + "/photos",
         {"--theme", "gallery"},
         {"Index-Page-Title=Sample photos", "Content-Show-Link-Begin=Yes",
          "Content-Show-Link-End=Yes", "Misc-Include-Mavren-Link=Yes", "Thumbnail-Size=200"}},
        {"travel",
         examples + "/travel",
         {"--theme", "gallery"},
         {"Photo-Order=1", "Content-Image-Is-Link=Yes", "Thumbnail-Size=200",
          "Content-Show-Labels=Yes", "Content-Label-Type=2", "Content-Custom-Label=%C, %E"}},
        {"notes",
         examples + "/notes",
         {"--type", "text", "--theme", "light"},
         {"Content-Guess-Paragraphs=Yes"}},
        {"pages",
         examples + "/pages",
         {"--type", "html", "--theme", "light"},
         {"HTML-Font-Face=Verdana"}},
        {"albums", albums, {"--theme", "light", "--albums"}, {}},
    };
    for (const auto& site : sites) {
        SCOPED_TRACE(site.name);
        const std::string target = dir / (std::string("site/") + site.name);
        const std::string program = dir / (std::string("programs/") + site.name + ".mav");
        std::vector<std::string> made = {"new",    "--source", site.source,      "--target",
                                         target,   "--folder", dir / "programs", "--name",
                                         site.name};
        made.insert(made.end(), site.options.begin(), site.options.end());
        made.emplace_back("--yes");
        ASSERT_EQ(Cli(made).status, 0);
        if (!site.settings.empty()) {
            std::vector<std::string> set = {"set", program};
            set.insert(set.end(), site.settings.begin(), site.settings.end());
            ASSERT_EQ(Cli(set).status, 0);
        }
        const ProgramRun run = Cli({"generate", "--quiet", program});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(BrokenSiteLinks(target), std::vector<std::string>());
        const std::string start =
            fs::exists(target + "/INDEX000.HTM") ? "/INDEX000.HTM" : "/GEN0000.HTM";
        EXPECT_EQ(ReadFileBytes(target + "/index.html"), ReadFileBytes(target + start))
            << "a new program's site shows its start page at its address";
    }
}

}  // namespace
