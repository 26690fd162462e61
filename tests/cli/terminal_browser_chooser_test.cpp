#include "cli/terminal_browser_chooser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/isolated_home.h"
#include "support/test_support.h"

namespace {

class BrowserProgram : public ::testing::Test {
  protected:
    BrowserProgram() {
        WriteFileBytes(bin / "browser", "#!/bin/sh\n");
        ::chmod((bin / "browser").c_str(), 0755);
        WriteFileBytes(bin / "plain", "text\n");
        WriteFileBytes(home / "bin/mine", "#!/bin/sh\n");
        ::chmod((home / "bin/mine").c_str(), 0755);
    }

    TempDir bin;
    TempDir home;
    ScopedEnvironmentVariable path{"PATH", "relative:" + bin.path() + ":/nonexistent"};
    ScopedEnvironmentVariable homeVariable{"HOME", home.path()};
};

TEST_F(BrowserProgram, TypedNamesBecomeFullPaths) {
    char here[4096];
    ASSERT_NE(::getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(::chdir(bin.path().c_str()), 0);
    const struct {
        std::string typed;
        std::string path;
        std::string reason;
    } cases[] = {
        {"browser", bin / "browser", ""},
        {bin / "browser", bin / "browser", ""},
        {"./browser", bin / "./browser", ""},
        {"~/bin/mine", home / "bin/mine", ""},
        {"mine", "", "No program \"mine\" was found on the search path."},
        {"plain", "", "No program \"plain\" was found on the search path."},
        {bin / "plain", "", "\"" + bin / "plain" + "\": Permission denied"},
        {bin.path(), "", "\"" + bin.path() + "\": Is a directory"},
        {bin / "gone", "", "\"" + bin / "gone" + "\": No such file or directory"},
    };
    for (const auto& c : cases) {
        const Expected<std::string> found = FindBrowserProgram(c.typed);
        EXPECT_EQ(found.ok() ? *found : "", c.path) << c.typed;
        EXPECT_EQ(found.failure().text(), c.reason) << c.typed;
    }
    ASSERT_EQ(::chdir(here), 0);
}

// Runs the chooser on typed input and returns its pick and what it printed.
std::pair<std::string, std::string> Choose(const std::string& input, bool interactive) {
    std::FILE* in = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fputs(input.c_str(), in);
    std::rewind(in);
    TerminalBrowserChooser chooser(in, err, interactive);
    const std::string pick = chooser.ChooseBrowser();
    std::rewind(err);
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, err) != nullptr) {
        printed += buffer;
    }
    std::fclose(in);
    std::fclose(err);
    return {pick, printed};
}

TEST_F(BrowserProgram, TheChooserAsksUntilANameFitsOrTheAnswerIsEmpty) {
    const std::string prompt = "Browser program (a path or a name on PATH; empty to cancel): ";
    auto [pick, printed] = Choose("netscape\n  browser  \n", true);
    EXPECT_EQ(pick, bin / "browser");
    EXPECT_EQ(printed, prompt + "No program \"netscape\" was found on the search path.\n" + prompt);

    std::tie(pick, printed) = Choose("\n" + bin / "browser\n", true);
    EXPECT_EQ(pick, "") << "an empty answer cancels";

    std::tie(pick, printed) = Choose("netscape\n", true);
    EXPECT_EQ(pick, "") << "the end of input cancels";

    std::tie(pick, printed) = Choose(bin / "browser\n", false);
    EXPECT_EQ(pick, "");
    EXPECT_EQ(printed, "(no terminal to ask for a browser program)\n");
}

}  // namespace
