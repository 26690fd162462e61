// mavren-cli open, run as a user would.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/run_program.h"
#include "support/test_support.h"

namespace {

class CliOpen : public ::testing::Test {
  protected:
    CliOpen() {
        WriteFileBytes(bin / "xdg-open", "#!/bin/sh\necho \"$@\" > \"" + opened + "\"\n");
        ::chmod((bin / "xdg-open").c_str(), 0755);
    }
    ProgramRun Cli(const std::vector<std::string>& arguments) {
        return RunProgram(
            MAVREN_CLI, arguments, "",
            {"PATH=" + bin.path() + ":/usr/bin:/bin", "XDG_CONFIG_HOME=" + config.path()});
    }

    TempDir bin;
    TempDir config;
    const std::string opened = bin / "opened";
};

TEST_F(CliOpen, OpensInTheDefaultBrowser) {
    const ProgramRun run = Cli({"open", "/site/INDEX000.HTM"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(opened), "/site/INDEX000.HTM\n");
}

TEST_F(CliOpen, AFailedStartIsReportedAndNothingIsChosenWithoutATerminal) {
    WriteFileBytes(bin / "xdg-open", "#!/bin/sh\nexit 3\n");
    ProgramRun run = Cli({"open", "http://example.com/"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Could not open \"http://example.com/\"\nusing your default browser\n\n"
                           "Reason: A required tool could not be found.\n\n"
                           "Do you want to locate a browser to display this URL?\n"),
              std::string::npos)
        << run.err;

    run = Cli({"open", "--yes", "http://example.com/"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("(no terminal to ask for a browser program)\n"), std::string::npos)
        << run.err;
}

TEST_F(CliOpen, NeedsExactlyOneUrl) {
    EXPECT_EQ(Cli({"open"}).status, 2);
    EXPECT_EQ(Cli({"open", "a", "b"}).status, 2);
}

}  // namespace
