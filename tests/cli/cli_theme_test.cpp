// mavren-cli themes, theme and new --theme, run as a user would.

#include <gtest/gtest.h>

#include <filesystem>

#include "document/program.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

ProgramRun Cli(const std::vector<std::string>& arguments) {
    return RunProgram(MAVREN_CLI, arguments, "");
}

TEST(CliTheme, ThemesAreListedAppliedAndCleared) {
    ProgramRun run = Cli({"themes"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* line : {"  dark ", "  gallery ", "  light ", "  none "}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " in\n" << run.out;
    }

    TempDir dir;
    std::filesystem::create_directory(dir / "photos");
    run = Cli({"new", "--source", dir / "photos", "--theme", "gallery"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string path = dir / "photos.mav";
    const std::string copies = dir / "photos-theme";
    Program program;
    ASSERT_TRUE(program.Load(path).ok());
    EXPECT_EQ(program.GetText(ProgramKey::IndexBoilerplate), copies + "/index.htm");
    EXPECT_EQ(program.GetText(ProgramKey::ContentBoilerplate), copies + "/content.htm");
    EXPECT_EQ(ReadFileBytes(copies + "/content.htm"),
              ReadFileBytes(MAVREN_SOURCE_DIR "/resources/themes/gallery/content.htm"));

    // Unknown names are refused before anything is written.
    const std::string before = ReadFileBytes(path);
    run = Cli({"theme", path, "sepia"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("there is no theme called 'sepia'"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(path), before);
    run = Cli({"new", "--source", dir / "photos", "--name", "other", "--theme", "sepia"});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "other.mav"));

    run = Cli({"theme", path, "none"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Index-Boilerplate = \nContent-Boilerplate = \n");
    ASSERT_TRUE(program.Load(path).ok());
    EXPECT_EQ(program.GetText(ProgramKey::IndexBoilerplate), "");
}

// No to the question about a copy of the user's own leaves the program and every copy
// as they were.
TEST(CliTheme, NoToReplacingOwnChangesChangesNothing) {
    TempDir dir;
    std::filesystem::create_directory(dir / "photos");
    ASSERT_EQ(Cli({"new", "--source", dir / "photos", "--theme", "light"}).status, 0);
    const std::string path = dir / "photos.mav";
    const std::string copies = dir / "photos-theme";
    WriteFileBytes(copies + "/index.htm", "<p><MAVREN-BOILERPLATE> mine");
    WriteFileBytes(path, ReadFileBytes(path) + "Index-Boilerplate = " + dir / "own.htm\r\n");
    const std::string program = ReadFileBytes(path);
    const std::string content = ReadFileBytes(copies + "/content.htm");

    const ProgramRun run = Cli({"theme", path, "dark", "--no"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is no copy of a theme's file"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFileBytes(path), program);
    EXPECT_EQ(ReadFileBytes(copies + "/index.htm"), "<p><MAVREN-BOILERPLATE> mine");
    EXPECT_EQ(ReadFileBytes(copies + "/content.htm"), content);
}

}  // namespace
