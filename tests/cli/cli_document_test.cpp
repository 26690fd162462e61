// mavren-cli show, validate and set, run as a user would.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

#include "document/program.h"
#include "document/program_file_lock.h"
#include "generate/product.h"
#include "support/run_program.h"
#include "support/test_support.h"
#include "terminal_run.h"

namespace {

ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "") {
    return RunProgram(MAVREN_CLI, arguments, input);
}

class CliDocument : public ::testing::Test {
  protected:
    void SetUp() override { SaveFresh("/photos"); }

    // A default program for source that generates into /site.
    void SaveFresh(const std::string& source) {
        Program program;
        program.ApplyDefaults();
        program.SetString(ProgramKey::SourceDir, source);
        program.SetString(ProgramKey::TargetDir, "/site");
        ASSERT_TRUE(program.Save(path).ok());
    }

    std::unique_ptr<Program> Reload() {
        auto program = std::make_unique<Program>();
        EXPECT_TRUE(program->Load(path).ok());
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

    {
        auto program = Reload();
        program->SetString(ProgramKey::TargetDir, "");
        program->SetInt(ProgramKey::ThumbnailSize, 5);
        ASSERT_TRUE(program->Save(path).ok());
    }
    run = Cli({"validate", path});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.out.find("  No target directory specified\n"
                           "  Thumbnail size of 5 exceeds limits (min: 10; max 1000)\n"),
              std::string::npos)
        << run.out;
}

TEST_F(CliDocument, ValidateWarnsAfterTheReasonsWithoutChangingTheStatus) {
    const std::string photos = dir / "photos";
    struct Case {
        const char* name;
        std::vector<std::string> files;  // made in the photos folder
        std::vector<std::string> settings;
        int status;
        std::string warnings;  // what follows "Warnings:", or "" for no warnings at all
    };
    const std::string missing = "  The source directory \"" + photos + "\" does not exist\n";
    const std::string empty =
        "  The source directory \"" + photos +
        "\" does not contain any files of type \"*.JPG;*.JPEG;*.PNG;*.GIF\"\n";
    const std::string layout =
        "  Index-Thumbnails-Across and Index-Thumbnails-Down (4 by 2) are ignored while "
        "Index-Thumbnail-Layout-Type is 0 (optimize for a typical browser window); set it to 1 "
        "to use them\n";
    const Case cases[] = {
        {"all well", {"a.jpg"}, {}, 0, ""},
        {"source folder missing", {}, {}, 0, missing},
        {"no matching file", {"notes.txt"}, {}, 0, empty},
        {"generated pages are no sources",
         {"INDEX000.HTM"},
         {"Source-File-Extension=*.htm;*.html"},
         0,
         "  The source directory \"" + photos +
             "\" does not contain any files of type \"*.HTM;*.HTML\"\n"},
        {"numbers the layout ignores",
         {"a.jpg"},
         {"Index-Thumbnails-Across=4", "Index-Thumbnails-Down=2"},
         0,
         layout},
        {"numbers the layout uses",
         {"a.jpg"},
         {"Index-Thumbnails-Across=4", "Index-Thumbnails-Down=2", "Index-Thumbnail-Layout-Type=1"},
         0,
         ""},
        {"a single page ignores them",
         {"a.jpg"},
         {"Index-Thumbnails-Across=4", "Index-Generate-Multiple-Pages=No"},
         0,
         "  Index-Thumbnails-Across and Index-Thumbnails-Down (4 by 3) are ignored while "
         "Index-Generate-Multiple-Pages is No\n"},
        {"warnings follow the reasons", {}, {"Target-Dir="}, 4, missing},
        {"albums: pictures in a subfolder only",
         {"Day 1/a.jpg"},
         {"Include-Subfolders=Yes"},
         0,
         ""},
        {"albums: pictures in a hidden folder only",
         {"Day 1/notes.txt", ".old/a.jpg"},
         {"Include-Subfolders=Yes"},
         0,
         "  Neither the source directory \"" + photos +
             "\" nor its subfolders contain any files of type \"*.JPG;*.JPEG;*.PNG;*.GIF\"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(photos);
        for (const std::string& file : c.files) {
            WriteFileBytes(photos + "/" + file, "<META " + std::string(kGeneratorMark) + ">");
        }
        SaveFresh(photos);
        if (!c.settings.empty()) {
            std::vector<std::string> set = {"set", path};
            set.insert(set.end(), c.settings.begin(), c.settings.end());
            ASSERT_EQ(Cli(set).status, 0);
        }
        const ProgramRun run = Cli({"validate", path});
        EXPECT_EQ(run.status, c.status) << run.out;
        const std::string warningsHeading = "\nWarnings:\n\n";
        const std::size_t heading = run.out.find(warningsHeading);
        if (c.warnings.empty()) {
            EXPECT_EQ(heading, std::string::npos) << run.out;
        } else {
            ASSERT_NE(heading, std::string::npos) << run.out;
            EXPECT_EQ(run.out.substr(heading + warningsHeading.size()), c.warnings);
            const std::size_t reason = run.out.find("  No target directory specified\n");
            EXPECT_TRUE(reason == std::string::npos || reason < heading) << run.out;
        }
    }
}

TEST_F(CliDocument, ValidateCountsOriginalsThatShowWhereTheyWereTaken) {
    const std::string photos = dir / "photos";
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        WriteFileBytes(photos + "/" + name,
                       ReadFileBytes(MAVREN_SOURCE_DIR "/examples/photos/Meadow.jpg"));
    }
    const ProgramRun tagged = RunProgram(
        "/usr/bin/exiftool", {"-q", "-overwrite_original", "-GPSLatitude=48.1",
                              "-GPSLongitude=11.5", photos + "/a.jpg", photos + "/b.jpg"});
    ASSERT_EQ(tagged.status, 0) << tagged.err;
    SaveFresh(photos);
    const struct {
        std::vector<std::string> settings;
        std::string warnings;
    } cases[] = {
        {{"Source-File-Extension=*.jpg;*.png;*.gif"},
         "\nWarnings:\n\n  2 published originals show where they were taken\n"},
        {{"Photo-Originals-Without-Place=Yes"}, ""},
        {{"Photo-Originals-Without-Place=No", "Photo-Publish-Originals=No"}, ""},
        // The target is the source folder: the originals are in the site as they are.
        {{"Target-Dir=" + photos},
         "\nWarnings:\n\n  The target folder is the source folder: uploads send only the "
         "site's files; everything else in the folder stays private (Upload-Whole-Folder=Yes "
         "sends it all)\n  2 published originals show where they were taken\n"},
    };
    for (const auto& c : cases) {
        if (!c.settings.empty()) {
            std::vector<std::string> set = {"set", path};
            set.insert(set.end(), c.settings.begin(), c.settings.end());
            ASSERT_EQ(Cli(set).status, 0);
        }
        const ProgramRun run = Cli({"validate", path});
        EXPECT_EQ(run.status, 0) << run.out;
        const std::size_t heading = run.out.find("\nWarnings:");
        EXPECT_EQ(heading == std::string::npos ? "" : run.out.substr(heading), c.warnings);
    }
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

TEST_F(CliDocument, SetTakesOnlyValuesTheFileReadsBackAsMeant) {
    const std::string before = ReadFileBytes(path);
    struct Refused {
        std::string assignment;
        std::string problem;
    };
    const Refused refused[] = {
        {"Generate-Thumbnails=true", "Generate-Thumbnails takes Yes or No, not 'true'"},
        {"Content-Frame=1", "Content-Frame takes Yes or No, not '1'"},
        {"Thumbnail-Size=150px", "Thumbnail-Size takes a whole number, not '150px'"},
        {"Index-Thumbnail-Label-Type=", "Index-Thumbnail-Label-Type takes a whole number, not ''"},
        {"Content-Label-Type=99999999999",
         "Content-Label-Type takes a whole number, not '99999999999'"},
        {"Thumbnail-Size=5", "Thumbnail size of 5 exceeds limits (min: 10; max 1000)"},
        {"Index-Thumbnails-Across=0", "Thumbnails across of 0 exceeds limits (min: 1; max 1000)"},
        {"Index-Thumbnails-Down=1001", "Thumbnails down of 1001 exceeds limits (min: 1; max 1000)"},
        {"Last-Generated=yesterday",
         "Last-Generated takes a date as MM/DD/YY HH:MM:SS, or Never, not 'yesterday'"},
        {"Photo-Web-Size=319",
         "Web picture size of 319 exceeds limits (min: 320; max 8000; 0 for no web-size "
         "pictures)"},
        {"Photo-Web-Size=8001",
         "Web picture size of 8001 exceeds limits (min: 320; max 8000; 0 for no web-size "
         "pictures)"},
        {"Photo-Web-Quality=101", "Web picture quality of 101 exceeds limits (min: 10; max 100)"},
        {"Photo-Order=3", "Photo order of 3 exceeds limits (min: 0; max 2)"},
        {"Photo-Order=-1", "Photo order of -1 exceeds limits (min: 0; max 2)"},
        {"Photo-Camera-Captions=1", "Photo-Camera-Captions takes Yes or No, not '1'"},
    };
    for (const Refused& r : refused) {
        const ProgramRun run = Cli({"set", path, "Comments=x", r.assignment});
        EXPECT_EQ(run.status, 2) << r.assignment;
        EXPECT_EQ(run.err, "mavren-cli set: " + r.problem + "; nothing was changed.\n");
    }
    EXPECT_EQ(ReadFileBytes(path), before);

    const std::string cwd = std::filesystem::current_path().string();
    ProgramRun run =
        Cli({"set", path, "generate-thumbnails=YES", "Content-Frame= no ", "Thumbnail-Size= +1000",
             "Content-Label-Type=-1", "Last-Generated=never", "Source-Dir=photos/./trip/",
             "Misc-GIF-Thumbnail-Dir=../gifs", "Target-Dir=", "photo-web-size=320",
             "Photo-Web-Quality=10", "Photo-Order=2"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto program = Reload();
    EXPECT_TRUE(program->GetBool(ProgramKey::GenerateThumbnails));
    EXPECT_FALSE(program->GetBool(ProgramKey::ContentFrame));
    EXPECT_EQ(program->GetInt(ProgramKey::ThumbnailSize), 1000);
    EXPECT_EQ(program->GetInt(ProgramKey::ContentLabelType), -1);
    EXPECT_EQ(program->GetText(ProgramKey::LastGenerated), "Never");
    EXPECT_EQ(program->GetText(ProgramKey::SourceDir), cwd + "/photos/trip");
    EXPECT_EQ(program->GetText(ProgramKey::MiscGifThumbnailDir),
              std::filesystem::path(cwd).parent_path().string() + "/gifs");
    EXPECT_EQ(program->GetText(ProgramKey::TargetDir), "");
    EXPECT_EQ(program->GetInt(ProgramKey::PhotoWebSize), 320);
    EXPECT_EQ(program->GetInt(ProgramKey::PhotoWebQuality), 10);
    EXPECT_EQ(program->GetInt(ProgramKey::PhotoOrder), 2);
    // 0 turns web-size copies off again, below the range.
    run = Cli({"set", path, "Photo-Web-Size=0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Reload()->GetInt(ProgramKey::PhotoWebSize), 0);
}

TEST_F(CliDocument, SetRefusesUnknownKeysWithTheNearestNames) {
    const std::string before = ReadFileBytes(path);
    struct Case {
        std::string key;
        std::string hint;  // after "nothing was changed."
    };
    const Case cases[] = {
        {"Thumbnail-Sise", " Did you mean Thumbnail-Size?"},
        {"thumbnailsize", " Did you mean Thumbnail-Size?"},
        {"thumb-size", " Did you mean Thumbnail-Size?"},
        {"title", " Did you mean Index-Page-Title or Content-Page-Title?"},
        {"color", " Did you mean HTML-Background-Color, HTML-Text-Color-Color or HTML-Link-Color?"},
        {"Colour", ""},
    };
    for (const Case& c : cases) {
        const ProgramRun run = Cli({"set", path, "Thumbnail-Size=150", c.key + "=red"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "mavren-cli set: unknown key '" + c.key + "'; nothing was changed." +
                               c.hint + "\n");
    }
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(CliDocument, SetRefusesLineBreaksAndAssignmentsWithoutEqualsSign) {
    const std::string before = ReadFileBytes(path);
    ProgramRun run = Cli({"set", path, "Comments=two\nlines"});
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
    // The terminal's answers, not the window's buttons.
    EXPECT_NE(run.err.find("\n\nAnswer y to scan for more errors, n to stop.\n"), std::string::npos)
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

// True once a process waits for the flock of the folder (/proc/locks shows waiters);
// false after 30 seconds without one.
bool SomeoneWaitsForTheLockOf(const std::string& folder) {
    struct stat status;
    EXPECT_EQ(::stat(folder.c_str(), &status), 0);
    const std::string inode = ":" + std::to_string(status.st_ino) + " ";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        std::istringstream locks(ReadFileBytes("/proc/locks"));
        for (std::string line; std::getline(locks, line);) {
            if (line.find("-> FLOCK") != std::string::npos &&
                line.find(inode) != std::string::npos) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// set loads, changes and saves under the lock every save takes: what another save wrote
// while set waited is read, not overwritten.
TEST_F(CliDocument, SetWaitsForTheProgramFileLock) {
    ProgramRun set;
    std::thread other;
    {
        const ProgramFileLock lock(path);
        other = std::thread([&] { set = Cli({"set", path, "Index-Page-Title=CHANGED"}); });
        EXPECT_TRUE(SomeoneWaitsForTheLockOf(dir.path())) << "set did not wait for the lock";
        auto program = Reload();
        program->SetInt(ProgramKey::ThumbnailSize, 99);
        EXPECT_TRUE(program->Save(path).ok());
    }
    other.join();
    EXPECT_EQ(set.status, 0) << set.err;
    auto program = Reload();
    EXPECT_EQ(program->GetText(ProgramKey::IndexPageTitle), "CHANGED");
    EXPECT_EQ(program->GetInt(ProgramKey::ThumbnailSize), 99);
}

// set asks the load's questions before it takes the lock: a save elsewhere (the desktop
// program's) goes on while a question waits, and set keeps what it wrote.
TEST_F(CliDocument, SetAsksBeforeItTakesTheProgramFileLock) {
    WriteFileBytes(path, "Thumbnail-Size = 150\r\nColour = red\r\n");
    TerminalRun set({"set", path, "Index-Page-Title=CHANGED"});
    ASSERT_TRUE(set.WaitForError("[y/n]? ")) << ReadFileBytes(set.err);
    std::future<bool> saved = std::async(std::launch::async, [this] {
        Program program;
        program.ApplyDefaults();
        program.SetInt(ProgramKey::ThumbnailSize, 99);
        return program.Save(path).ok();
    });
    const bool savedWhileAsked =
        saved.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    set.Type("y\n");
    EXPECT_TRUE(savedWhileAsked) << "the save waited for the answer";
    EXPECT_EQ(set.Wait(), 0) << ReadFileBytes(set.err);
    EXPECT_TRUE(saved.get());
    const auto program = Reload();
    EXPECT_EQ(program->GetText(ProgramKey::IndexPageTitle), "CHANGED");
    EXPECT_EQ(program->GetInt(ProgramKey::ThumbnailSize), 99);
}

}  // namespace
