#include "generate/themes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "generate/html_files.h"
#include "generate/theme_files.h"
#include "platform/app_folders.h"
#include "support/test_support.h"

namespace {

// The themes as the source tree holds them, installed for the test's length.
class Themes : public ::testing::Test {
  protected:
    void SetUp() override { SetExecutableFolder(MAVREN_SOURCE_DIR "/resources/"); }
    void TearDown() override { SetExecutableFolder(previous); }

    std::string Installed(const std::string& theme, const char* file) {
        return ReadFileBytes(std::string(MAVREN_SOURCE_DIR "/resources/themes/") + theme + "/" +
                             file);
    }

    std::string previous = ExecutableFolder();
    TempDir dir;
    ScopedScriptedBoxes boxes;
    Program program;
    std::string programPath = dir / "Trip.mav";
    std::string copies = dir / "Trip-theme";
};

TEST_F(Themes, EveryInstalledThemeIsABoilerplatePairForPhones) {
    const std::vector<Theme> themes = InstalledThemes();
    std::vector<std::string> names;
    for (const Theme& theme : themes) {
        names.push_back(theme.name);
        EXPECT_FALSE(theme.description.empty()) << theme.name;
        for (const char* file : {kThemeIndexFile, kThemeContentFile}) {
            const std::string path = theme.folder + "/" + file;
            EXPECT_TRUE(CheckBoilerplate(path).ok()) << path;
            const std::string text = ReadFileBytes(path);
            EXPECT_EQ(text.rfind("<!DOCTYPE html>\n", 0), 0u) << path;
            // The generator mark goes after a plain head tag; the page declares its own
            // character set and a viewport, and fetches nothing.
            EXPECT_NE(text.find("\n<head>\n"), std::string::npos) << path;
            EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos) << path;
            EXPECT_NE(text.find("name=\"viewport\""), std::string::npos) << path;
            EXPECT_EQ(text.find("http"), std::string::npos) << path;
            // The style sheet and scripts it names lie beside it.
            EXPECT_FALSE(ThemeFileNames(text).empty()) << path;
            for (const std::string& name : ThemeFileNames(text)) {
                EXPECT_TRUE(std::filesystem::is_regular_file(theme.folder + "/" + name)) << name;
            }
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"dark", "gallery", "light"}));
    EXPECT_TRUE(boxes->Texts().empty());
}

TEST_F(Themes, ApplyingCopiesBesideTheProgramAndAsksBeforeReplacingOwnChanges) {
    const std::string index = copies + "/index.htm";
    const std::string content = copies + "/content.htm";
    const struct {
        const char* theme;
        const char* ownIndex;   // written over the index copy before, or null
        int answer;             // to the question about it, 0 for none expected
        const char* indexFrom;  // the theme whose index file the copy holds after, or null
        const char* current;    // the theme of the other copies and the keys after
    } steps[] = {
        {"light", nullptr, 0, "light", "light"},
        // A copy the user never changed gives way to the next theme without a question.
        {"dark", nullptr, 0, "dark", "dark"},
        // No changes nothing at all: no copy, no key.
        {"gallery", "<p><MAVREN-BOILERPLATE> mine", IDNO, nullptr, "dark"},
        {"gallery", "<p><MAVREN-BOILERPLATE> mine", IDYES, "gallery", "gallery"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.theme);
        if (step.ownIndex != nullptr) {
            WriteFileBytes(index, step.ownIndex);
        }
        if (step.answer != 0) {
            boxes->QueueAnswer(step.answer);
        }
        const std::size_t boxesBefore = boxes->Boxes().size();
        program.SetString(ProgramKey::IndexBoilerplate, "before");
        const Result applied = ApplyTheme(program, programPath, step.theme);
        EXPECT_EQ(applied.ok(), step.answer != IDNO);
        EXPECT_EQ(applied.text(), "") << "a No needs no word";
        EXPECT_EQ(boxes->Boxes().size() - boxesBefore, step.answer != 0 ? 1u : 0u);
        EXPECT_EQ(ReadFileBytes(index),
                  step.indexFrom ? Installed(step.indexFrom, kThemeIndexFile) : step.ownIndex);
        EXPECT_EQ(ReadFileBytes(content), Installed(step.current, kThemeContentFile));
        for (const char* file : {kThemeDescriptionFile, "theme.css", "theme.js"}) {
            EXPECT_EQ(ReadFileBytes(copies + "/" + file), Installed(step.current, file)) << file;
        }
        EXPECT_EQ(program.GetText(ProgramKey::IndexBoilerplate),
                  step.answer == IDNO ? "before" : index);
        EXPECT_EQ(program.GetText(ProgramKey::ContentBoilerplate), content);
    }
    const auto shown = boxes->Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "The file \"" + index +
                                 "\" is no copy of a theme's file: it may hold changes of your "
                                 "own.\n\nDo you want to replace it with the file of the theme "
                                 "\"gallery\"?");
    EXPECT_EQ(shown[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes->UnscriptedCount(), 0);
}

TEST_F(Themes, NoneClearsTheKeysAndAnUnknownThemeChangesNothing) {
    ASSERT_TRUE(ApplyTheme(program, programPath, "light").ok());
    EXPECT_EQ(ApplyTheme(program, programPath, "sepia").text(),
              "There is no theme called \"sepia\" in " MAVREN_SOURCE_DIR "/resources/themes.");
    EXPECT_EQ(program.GetText(ProgramKey::IndexBoilerplate), copies + "/index.htm");

    ASSERT_TRUE(ApplyTheme(program, programPath, kNoTheme).ok());
    EXPECT_EQ(program.GetText(ProgramKey::IndexBoilerplate), "");
    EXPECT_EQ(program.GetText(ProgramKey::ContentBoilerplate), "");
    // The copies stay: they may hold the user's own changes.
    EXPECT_EQ(ReadFileBytes(copies + "/index.htm"), Installed("light", kThemeIndexFile));
}

TEST_F(Themes, ACopyThatCannotBeWrittenIsReportedAndLeavesTheKeys) {
    WriteFileBytes(dir / "Trip-theme", "a file where the folder would go");
    const Result applied = ApplyTheme(program, programPath, "light");
    EXPECT_EQ(program.GetText(ProgramKey::IndexBoilerplate), "");
    EXPECT_EQ(applied.text().rfind(
                  "Cannot make the folder \"" + copies + "\" for the theme's files.\n\n", 0),
              0u)
        << applied.text();
}

}  // namespace
