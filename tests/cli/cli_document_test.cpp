// mavren-cli show, validate and set, run as a user would.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "document/program.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace {

ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "") {
    return RunProgram(MAVREN_CLI, arguments, input);
}

class CliDocument : public ::testing::Test {
  protected:
    void SetUp() override {
        Program program;
        program.ApplyDefaults();
        program.SetString(ProgramKey::SourceDir, "/photos");
        program.SetString(ProgramKey::TargetDir, "/site");
        ASSERT_TRUE(program.Save(path));
    }

    std::unique_ptr<Program> Reload() {
        auto program = std::make_unique<Program>();
        EXPECT_TRUE(program->Load(path));
        return program;
    }

    TempDir dir;
    std::string path = dir / "trip.mav";
};

TEST_F(CliDocument, ShowPrintsTheSummary) {
    const ProgramRun run = Cli({"show", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Generation\n   Last-Generated: Never\n   Source-Dir: /photos\n", 0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("\n\nMisc\n"), std::string::npos);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
}

TEST_F(CliDocument, ValidateReportsWithExitStatus) {
    ProgramRun run = Cli({"validate", path});
    EXPECT_EQ(run.status, 0) << run.out << run.err;

    ASSERT_EQ(Cli({"set", path, "Thumbnail-Size=5", "Target-Dir="}).status, 0);
    run = Cli({"validate", path});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.out.find("  No target directory specified\n"
                           "  Thumbnail size of 5 exceeds limits (min: 10; max 1000)\n"),
              std::string::npos)
        << run.out;
}

TEST_F(CliDocument, SetConvertsByTypeAndSaves) {
    const ProgramRun run =
        Cli({"set", path, "thumbnail-size=150", "Generate-Thumbnails=no",
             "INDEX-PAGE-TITLE=My trip = %P", "Last-Generated=01/02/03 04:05:06"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Thumbnail-Size = 150\n"), std::string::npos) << run.out;
    const auto program = Reload();
    EXPECT_EQ(program->GetInt(ProgramKey::ThumbnailSize), 150);
    EXPECT_FALSE(program->GetBool(ProgramKey::GenerateThumbnails));
    EXPECT_EQ(program->GetText(ProgramKey::IndexPageTitle), "My trip = %P");
    EXPECT_EQ(program->GetText(ProgramKey::LastGenerated), "01/02/03 04:05:06");
}

TEST_F(CliDocument, SetRefusesUnknownKeysAndLineBreaksWithoutSaving) {
    const std::string before = ReadFileBytes(path);
    ProgramRun run = Cli({"set", path, "Thumbnail-Size=150", "Colour=red"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown key 'Colour'"), std::string::npos) << run.err;
    run = Cli({"set", path, "Comments=two\nlines"});
    EXPECT_EQ(run.status, 2);
    run = Cli({"set", path, "no-equals-sign"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(CliDocument, AFileWithLoneCarriageReturnsKeepsItsSettingsAndTextIsNeverSavedOver) {
    std::string classicMac = ReadFileBytes(path);
    for (std::size_t at = classicMac.find("\r\n"); at != std::string::npos;
         at = classicMac.find("\r\n", at)) {
        classicMac.erase(at + 1, 1);
    }
    WriteFileBytes(path, classicMac);
    ProgramRun run = Cli({"show", path});
    EXPECT_NE(run.out.find("   Source-Dir: /photos\n"), std::string::npos) << run.out;
    run = Cli({"set", path, "Thumbnail-Size=150"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto program = Reload();
    EXPECT_EQ(program->GetText(ProgramKey::SourceDir), "/photos");
    EXPECT_EQ(program->GetText(ProgramKey::TargetDir), "/site");
    EXPECT_EQ(program->GetInt(ProgramKey::ThumbnailSize), 150);

    const std::string notes = dir / "notes.mav";
    WriteFileBytes(notes, "milk\nbread\n");
    run = Cli({"set", "--yes", notes, "Thumbnail-Size=150"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the file holds text but no program settings"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileBytes(notes), "milk\nbread\n");
}

TEST_F(CliDocument, SetRemovesWhatAKilledSaveLeftBesideTheProgram) {
    WriteFileBytes(dir / LeftoverName(1), "half a program");
    WriteFileBytes(dir / ".trip.mav.swp", "an editor's");
    ASSERT_EQ(Cli({"set", path, "Thumbnail-Size=150"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / LeftoverName(1)));
    EXPECT_TRUE(std::filesystem::exists(dir / ".trip.mav.swp"));
}

TEST_F(CliDocument, UnexpectedKeywordsAreAnsweredByPolicy) {
    WriteFileBytes(path, "Thumbnail-Size = 150\r\nColour = red\r\nIndex-Thumbnails-Down = 8\r\n");
    ProgramRun run = Cli({"show", path});
    EXPECT_EQ(run.status, 1) << "no terminal: Cancel";
    EXPECT_NE(run.err.find("Unexpected keyword 'Colour' on line 2 of " + path), std::string::npos)
        << run.err;

    run = Cli({"show", "--yes", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Index-Thumbnails-Down: 8"), std::string::npos);

    const std::string before = ReadFileBytes(path);
    run = Cli({"set", path, "Thumbnail-Size=99"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFileBytes(path), before) << "nothing saved after Cancel";
}

TEST_F(CliDocument, WrongArgumentsAndMissingFiles) {
    EXPECT_EQ(Cli({}).status, 2);
    EXPECT_EQ(Cli({"frobnicate"}).status, 2);
    EXPECT_EQ(Cli({"show"}).status, 2);
    EXPECT_EQ(Cli({"show", path, path}).status, 2);
    EXPECT_EQ(Cli({"set", path}).status, 2);
    const ProgramRun missing = Cli({"show", dir / "missing.mav"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Could not open file '" + (dir / "missing.mav") + "' for reading"),
              std::string::npos);
    const ProgramRun help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("validate"), std::string::npos);
    const ProgramRun setHelp = Cli({"set", "--help"});
    EXPECT_EQ(setHelp.status, 0);
    EXPECT_NE(setHelp.out.find("usage: mavren-cli set PROGRAM.mav KEY=VALUE"), std::string::npos);
}

}  // namespace
