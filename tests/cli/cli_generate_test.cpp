// mavren-cli generate and new, run as a user would.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "document/program.h"
#include "platform/paths.h"
#include "support/run_program.h"
#include "support/test_support.h"
#include "terminal_run.h"

namespace fs = std::filesystem;

namespace {

const std::string kExamples = MAVREN_SOURCE_DIR "/examples";

ProgramRun Cli(const std::vector<std::string>& arguments, const std::string& input = "") {
    return RunProgram(MAVREN_CLI, arguments, input);
}

std::string LastLine(const std::string& text) {
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.back() == '\n') {
        trimmed.pop_back();
    }
    return trimmed.substr(trimmed.rfind('\n') + 1);
}

class CliGenerate : public ::testing::Test {
  protected:
    // A program for a copy of some example photos, made by "new".
    std::string NewPhotoProgram(const std::vector<std::string>& photos) {
        fs::create_directories(source);
        for (const std::string& photo : photos) {
            fs::copy_file(kExamples + "/photos/" + photo, source + "/" + photo);
            // A thumbnail is kept only when written in a later second than its source.
            fs::last_write_time(source + "/" + photo,
                                fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
        const ProgramRun run = Cli({"new", "--source", source, "--target", target, "--yes"});
        EXPECT_EQ(run.status, 0) << run.err;
        return LastLine(run.out);
    }

    std::unique_ptr<Program> Load(const std::string& path) {
        auto program = std::make_unique<Program>();
        EXPECT_TRUE(program->Load(path).ok());
        return program;
    }

    TempDir dir;
    std::string source = dir / "trip";
    std::string target = dir / "site";
};

TEST_F(CliGenerate, GeneratesSavesAndPrintsTheStartPage) {
    const std::string program = NewPhotoProgram({"Fjord.jpg", "Bubbles.gif"});
    EXPECT_EQ(program, dir / "trip.mav");
    const ProgramRun run = Cli({"generate", program});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    // Without a terminal the status lines come one by one, on standard error.
    EXPECT_EQ(run.err.rfind("Initializing ...\nCopying \"Bubbles.gif\" ...\n", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\nAll thumbnails done.\n"), std::string::npos);
    // After "Finished." one line says what was done.
    const std::regex summary(R"(\d+ pages written, 2 thumbnails made, 0 kept, 0 files removed, )"
                             R"(0 pictures without a thumbnail, \d+\.\d seconds)");
    EXPECT_NE(run.err.find("\nFinished.\n" + LastLine(run.err) + "\n"), std::string::npos);
    EXPECT_TRUE(std::regex_match(LastLine(run.err), summary)) << run.err;
    EXPECT_EQ(run.out, target + "/INDEX000.HTM\n");
    EXPECT_TRUE(fs::exists(target + "/Fjord.html"));
    EXPECT_TRUE(fs::exists(target + "/Thumbs/TN_Fjord.jpg"));
    EXPECT_TRUE(Load(program)->HasBeenGenerated());

    const ProgramRun quiet = Cli({"generate", "--quiet", program});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, target + "/INDEX000.HTM\n");
    // Nothing changed: every page is already there as made.
    EXPECT_EQ(quiet.err.rfind("0 pages written, 3 unchanged, 0 thumbnails made, 2 kept, ", 0), 0u)
        << quiet.err;
    EXPECT_EQ(quiet.err.find('\n'), quiet.err.size() - 1) << "one line";
}

// A run with nothing to copy or make says nothing of copies or of time left, in a flat
// site and in albums.
TEST_F(CliGenerate, ARunWithNothingToMakeTellsNoTimeLeftNorCopies) {
    const struct {
        const char* folder;  // below the source; "" for a flat site
        std::vector<std::string> extra;
    } cases[] = {{"", {}}, {"2024/Rome", {"--albums"}}};
    for (const auto& [folder, extra] : cases) {
        fs::remove_all(dir.path());
        fs::create_directories(source + "/" + folder);
        for (const char* photo : {"Fjord.jpg", "Meadow.jpg"}) {
            const std::string path = source + "/" + folder + "/" + photo;
            fs::copy_file(kExamples + "/photos/" + photo, path);
            fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
        std::vector<std::string> arguments = {"new",      "--source", source,
                                              "--target", target,     "--yes"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ProgramRun run = Cli(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string program = LastLine(run.out);
        ASSERT_EQ(Cli({"generate", program}).status, 0);
        // Still older than its thumbnail, but its album is made again.
        fs::last_write_time(source + "/" + folder + "/Fjord.jpg",
                            fs::file_time_type::clock::now() - std::chrono::minutes(30));
        run = Cli({"generate", program});
        ASSERT_EQ(run.status, 0) << run.err;
        for (const char* untrue : {"Copying", "remaining time", " in 0 seconds"}) {
            EXPECT_EQ(run.err.find(untrue), std::string::npos) << folder << ":\n" << run.err;
        }
    }
}

TEST_F(CliGenerate, ExitStatusTellsTheOutcome) {
    const std::string program = NewPhotoProgram({});
    ProgramRun run = Cli({"generate", program});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("No files found!"), std::string::npos) << run.err;

    ASSERT_EQ(Cli({"set", program, "Target-Dir=" + dir / "file/site"}).status, 0);
    WriteFileBytes(dir / "file", "a file, not a folder");
    run = Cli({"generate", program});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("Cannot create target directory:"), std::string::npos) << run.err;

    {
        auto invalid = Load(program);
        invalid->SetString(ProgramKey::TargetDir, "");
        invalid->SetInt(ProgramKey::ThumbnailSize, 5);  // "set" refuses it; a hand edit would not
        ASSERT_TRUE(invalid->Save(program).ok());
    }
    run = Cli({"generate", program});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err,
              "Cannot generate!\n\nThis is not a valid Mavren program because:\n\n"
              "  No target directory specified\n"
              "  Thumbnail size of 5 exceeds limits (min: 10; max 1000)\n");

    EXPECT_EQ(Cli({"generate"}).status, 2);
    EXPECT_EQ(Cli({"generate", program, "--jobs", "0"}).status, 2);
    EXPECT_EQ(Cli({"generate", program, "--jobs"}).status, 2);
    EXPECT_EQ(Cli({"generate", dir / "missing.mav"}).status, 1);
}

// Without a terminal no one can answer whether to go on past a picture that cannot be
// measured: the run goes on, as with --yes, and names the source (not its copy) in a
// status line; only --no stops it.
TEST_F(CliGenerate, APictureThatCannotBeMeasuredStopsAnUnattendedRunOnlyOnNo) {
    const struct {
        const char* name;
        std::string bytes;
    } pictures[] = {
        {"empty.jpg", ""},
        {"png.jpg", ReadFileBytes(kExamples + "/photos/Pebbles.png")},
    };
    const struct {
        const char* option;  // empty: none
        int status;
    } modes[] = {{"", 0}, {"--yes", 0}, {"--no", 1}};
    int number = 0;
    for (const auto& picture : pictures) {
        for (const auto& mode : modes) {
            SCOPED_TRACE(std::string(picture.name) + " " + mode.option);
            source = dir / ("trip" + std::to_string(number));
            target = dir / ("site" + std::to_string(number++));
            const std::string program = NewPhotoProgram({"Fjord.jpg"});
            WriteFileBytes(source + "/" + picture.name, picture.bytes);
            std::vector<std::string> arguments = {"generate", program};
            if (*mode.option != '\0') {
                arguments.emplace_back(mode.option);
            }
            const ProgramRun run = Cli(arguments);
            EXPECT_EQ(run.status, mode.status) << run.err;
            const std::string failure = "Failed to get size of image '";
            if (mode.status != 0) {
                // New programs keep their originals home: the source itself is measured.
                EXPECT_NE(run.err.find(failure + source + "/" + picture.name +
                                       "'.\n\nIt is not a valid JPG file.\n\nDo you want to "
                                       "continue?"),
                          std::string::npos)
                    << run.err;
                EXPECT_FALSE(fs::exists(target + "/INDEX000.HTM"));
                continue;
            }
            EXPECT_NE(run.err.find("\n" + failure + source + "/" + picture.name +
                                   "'. It is not a valid JPG file.\n"),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(run.err.find("Do you want to continue?"), std::string::npos) << run.err;
            EXPECT_NE(LastLine(run.err).find(", 1 picture without a thumbnail, "),
                      std::string::npos)
                << run.err;
            const std::string index = ReadFileBytes(target + "/INDEX000.HTM");
            EXPECT_TRUE(std::regex_search(
                index, std::regex(std::string(R"(<A HREF="[^"]+\.html">\s*<IMG [^>]*)"
                                              R"(SRC="DamagedPlaceHolder.png"[^>]*><BR>\s*)") +
                                  picture.name + " cannot be shown: it is not a valid JPG file.")))
                << index;
            EXPECT_EQ(index.find(std::string("TN_") + picture.name), std::string::npos) << index;
        }
    }
}

TEST_F(CliGenerate, SameBytesWithOneAndFourJobs) {
    std::vector<std::string> photos;
    for (const auto& entry : fs::directory_iterator(kExamples + "/photos")) {
        photos.push_back(entry.path().filename().string());
    }
    const std::string program = NewPhotoProgram(photos);
    ASSERT_EQ(Cli({"generate", "--quiet", "--jobs", "1", program}).status, 0);
    fs::rename(target, dir / "one");
    ASSERT_EQ(Cli({"generate", "--quiet", "--jobs", "4", program}).status, 0);
    std::size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir / "one")) {
        if (entry.is_regular_file()) {
            const std::string relative = fs::relative(entry.path(), dir / "one").string();
            EXPECT_TRUE(ReadFileBytes(entry.path().string()) ==
                        ReadFileBytes(target + "/" + relative))
                << relative;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 2u + 1u + 1u + 14u + (14u + 10u + 12u) * 2 + 6u + 1u)
        << "the GIFs (the originals stay home), the index page (4 by 5) and index.html, "
           "content pages, thumbnails, the doubles of the 9 photos of 480 pixels or more and "
           "of the clip, the web copies and the clip's poster, the theme's style sheets, "
           "scripts and the viewer's licence, and the clip's web copy";
}

TEST_F(CliGenerate, CtrlCStopsTheRunLikeTheStopButton) {
    const std::string program = NewPhotoProgram({"Alpine Lake.jpg", "Fjord.jpg", "Meadow.jpg"});
    WriteFileBytes(source + "/Broken.jpg", "not a picture");  // sorts second: a question
    ASSERT_EQ(Cli({"set", program, "Last-Generated=01/02/24 10:00:00"}).status, 0);

    TerminalRun run({"generate", program});
    ASSERT_TRUE(run.WaitForError("[y/n]? ")) << ReadFileBytes(run.err);
    ASSERT_TRUE(run.Interrupt());
    run.Type("y\n");
    EXPECT_EQ(run.Wait(), 130) << ReadFileBytes(run.err);
    const std::string err = ReadFileBytes(run.err);
    EXPECT_EQ(LastLine(err), "Stopped by operator.") << err;
    EXPECT_EQ(ReadFileBytes(run.out), "");
    EXPECT_EQ(Load(program)->GetText(ProgramKey::LastGenerated), "Never");
    EXPECT_FALSE(fs::exists(target + "/Fjord.jpg")) << "the copy after the question never began";
    EXPECT_FALSE(fs::exists(target + "/INDEX000.HTM"));
    EXPECT_FALSE(fs::exists(target + "/GEN0000.HTM"));
}

// The file with its Last-Generated line left out.
std::string WithoutLastGenerated(const std::string& text) {
    const std::size_t line = text.find("Last-Generated = ");
    return line == std::string::npos
               ? text
               : text.substr(0, line) + text.substr(text.find('\n', line) + 1);
}

TEST_F(CliGenerate, AChangeMadeDuringARunIsKept) {
    const std::string program = NewPhotoProgram({"Fjord.jpg"});
    WriteFileBytes(source + "/Broken.jpg", "not a picture");  // a question halfway

    TerminalRun run({"generate", program});
    ASSERT_TRUE(run.WaitForError("[y/n]? ")) << ReadFileBytes(run.err);
    const ProgramRun set = Cli({"set", program, "Index-Page-Title=CHANGED"});
    ASSERT_EQ(set.status, 0) << set.err;
    const std::string changed = ReadFileBytes(program);
    run.Type("y\n");
    ASSERT_EQ(run.Wait(), 0) << ReadFileBytes(run.err);

    EXPECT_EQ(Load(program)->GetText(ProgramKey::IndexPageTitle), "CHANGED");
    EXPECT_TRUE(Load(program)->HasBeenGenerated());
    EXPECT_EQ(WithoutLastGenerated(ReadFileBytes(program)), WithoutLastGenerated(changed));
}

// Every HREF, SRC and BACKGROUND of the pages in folder, as file paths.
std::vector<std::string> Links(const std::string& folder) {
    static const std::regex attribute(R"((HREF|SRC|BACKGROUND)="([^"]*)\")");
    std::vector<std::string> links;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".HTM") {
            continue;
        }
        const std::string page = ReadFileBytes(entry.path().string());
        for (auto it = std::sregex_iterator(page.begin(), page.end(), attribute);
             it != std::sregex_iterator(); ++it) {
            const std::string url = (*it)[2];
            std::string path;
            for (std::size_t i = 0; i < url.size(); ++i) {
                if (url[i] == '%' && i + 2 < url.size()) {
                    path += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                } else {
                    path += url[i];
                }
            }
            links.push_back(path);
        }
    }
    return links;
}

TEST_F(CliGenerate, EveryLinkOfTheDemoSitesNamesAFileThatExists) {
    struct Site {
        std::string examples;
        std::string type;
        std::vector<std::string> settings;
    };
    const Site sites[] = {
        {"photos",
         "images",
         {"Content-Show-Link-Begin=Yes", "Content-Show-Link-End=Yes", "Content-Image-Is-Link=Yes",
          "Misc-Include-Mavren-Link=Yes", "Index-Thumbnail-Layout-Type=1",
          "Index-Thumbnails-Across=4", "Index-Thumbnails-Down=2"}},
        {"notes", "text", {"Content-Show-Link-Begin=Yes", "Content-Show-Link-End=Yes"}},
        {"notes", "text", {"Generate-Content-Pages=No"}},
        {"pages", "html", {"Misc-Include-Mavren-Link=Yes"}},
    };
    int number = 0;
    for (const Site& site : sites) {
        const std::string folder = dir / ("site" + std::to_string(number));
        const std::string name = "demo" + std::to_string(number++);
        const ProgramRun made =
            Cli({"new", "--source", kExamples + "/" + site.examples, "--type", site.type,
                 "--target", folder, "--folder", dir.path(), "--name", name, "--yes"});
        ASSERT_EQ(made.status, 0) << made.err;
        const std::string program = LastLine(made.out);
        std::vector<std::string> set = {"set", program};
        set.insert(set.end(), site.settings.begin(), site.settings.end());
        ASSERT_EQ(Cli(set).status, 0);
        const ProgramRun run = Cli({"generate", "--quiet", program});
        ASSERT_EQ(run.status, 0) << run.err;

        const std::vector<std::string> links = Links(folder);
        EXPECT_GE(links.size(), 3u) << name;
        for (const std::string& link : links) {
            if (link == "https://mavren.example.org/") {
                continue;  // the credit badge's home page
            }
            EXPECT_FALSE(link.empty()) << name;
            EXPECT_NE(link.front(), '/') << name << ": " << link << " is not relative";
            EXPECT_TRUE(fs::is_regular_file(folder + "/" + link)) << name << ": " << link;
        }
    }
}

TEST(CliNew, SuggestsTheFolderNameWithCountersAndRefusesExistingFiles) {
    TempDir dir;
    const std::string source = dir / "Cats";
    fs::create_directories(source);
    ProgramRun run = Cli({"new", "--source", source});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, dir / "Cats.mav\n");
    run = Cli({"new", "--source", source + "/", "--type", "text"});
    EXPECT_EQ(run.out, dir / "Cats00.mav\n");
    run = Cli({"new", "--source", source});
    EXPECT_EQ(run.out, dir / "Cats01.mav\n");

    Program program;
    ASSERT_TRUE(program.Load(dir / "Cats00.mav").ok());
    EXPECT_EQ(program.GetText(ProgramKey::SourceDir), source);
    EXPECT_EQ(program.GetText(ProgramKey::TargetDir), dir / "Cats site");
    EXPECT_EQ(program.GetText(ProgramKey::SourceFileExtension), "*.txt");
    EXPECT_EQ(program.GetText(ProgramKey::IndexPageTitle), "Cats");
    EXPECT_EQ(program.GetText(ProgramKey::LastGenerated), "Never");

    const std::string before = ReadFileBytes(dir / "Cats.mav");
    run = Cli({"new", "--source", source, "--name", "Cats"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "Error: A file called \"Cats.mav\" already exists.\n\nPlease choose a different "
              "name.\n");
    EXPECT_EQ(ReadFileBytes(dir / "Cats.mav"), before);

    run = Cli({"new", "--source", source, "--name", "Site.MAV", "--type", "html"});
    EXPECT_EQ(run.out, dir / "Site.MAV\n");
}

TEST(CliNew, RelativeFoldersAreStoredAbsoluteAndMissingFoldersAreMadeAfterOneQuestion) {
    TempDir dir;
    fs::create_directories(dir / "photos");
    WriteFileBytes(dir / "file", "a file, not a folder");
    const std::string relative = fs::relative(dir / "photos").string();
    const std::string target = dir / "Sites/trip";  // "Sites" is missing too
    ProgramRun run = Cli({"new", "--source", relative, "--target", target, "--no"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The directory \"" + target +
                           "\" does not exist.\n\nDo you want to create it?"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "Sites"));
    run = Cli({"new", "--source", relative, "--target", dir / "file/site", "--yes"});
    EXPECT_EQ(run.status, 1) << "a file in the way";
    EXPECT_EQ(run.err.find("Do you want to create it?"), std::string::npos) << run.err;

    run = Cli(
        {"new", "--source", relative, "--target", target, "--folder", dir / "my/progs", "--yes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, dir / "my/progs/photos.mav\n");
    // --yes answered before the question was put: only what was made is said.
    EXPECT_EQ(run.err, "Made the folder \"" + target + "\" for the site\nMade the folder \"" +
                           (dir / "my/progs") + "\" for the program\n");
    EXPECT_TRUE(fs::is_directory(target));
    Program program;
    ASSERT_TRUE(program.Load(dir / "my/progs/photos.mav").ok());
    EXPECT_EQ(program.GetText(ProgramKey::SourceDir), dir / "photos");
    EXPECT_EQ(program.GetText(ProgramKey::SourceFileExtension),
              "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif;*.mp4;*.mov;*.m4v;*.webm;*.3gp");
    EXPECT_EQ(program.GetText(ProgramKey::TargetDir), target);
}

// The lines of a program file after its header, with LF line ends.
std::vector<std::string> SettingLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() != '#') {
            lines.push_back(line);
        }
    }
    return lines;
}

// New programs: the light theme, the folder's name as the index title, pages of 4 by 5
// thumbnails, photo pages for pictures, with --albums albums titled with their path;
// everything else as the default program has it.
TEST(CliNew, NewProgramsTakeTheirDefaultsOverTheDefaultProgram) {
    TempDir dir;
    const std::string source = dir / "100% Rome";
    fs::create_directories(source);
    struct Case {
        std::string type;
        std::string theme;                          // --theme; empty: not given
        std::map<std::string, std::string> values;  // besides the shared ones
        std::vector<std::string> added;             // lines after Default.mav's
        bool albums = false;                        // --albums
    };
    const Case cases[] = {
        {"text", "", {{"Source-File-Extension", "*.txt"}}, {}},
        {"html", "none", {{"Source-File-Extension", "*.htm;*.html"}}, {}},
        {"images",
         "",
         {{"Source-File-Extension",
           "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif;*.mp4;*.mov;*.m4v;*.webm;*.3gp"},
          {"Misc-GIF-Thumbnail-Type", "3"},
          {"Thumbnail-Size", "240"}},
         {"Photo-Web-Size = 1600", "Photo-Publish-Originals = No", "Photo-Camera-Captions = Yes",
          "Photo-Order = 1"}},
        {"images",
         "none",
         {{"Source-File-Extension",
           "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif;*.mp4;*.mov;*.m4v;*.webm;*.3gp"},
          {"Misc-GIF-Thumbnail-Type", "3"},
          {"Thumbnail-Size", "240"},
          {"Index-Page-Title", "%A"}},
         {"Photo-Web-Size = 1600", "Photo-Publish-Originals = No", "Photo-Camera-Captions = Yes",
          "Photo-Order = 1", "Include-Subfolders = Yes"},
         true},
    };
    for (Case c : cases) {
        const std::string name = c.type + (c.albums ? "-albums" : "");
        std::vector<std::string> arguments = {"new",  "--source", source, "--type",
                                              c.type, "--name",   name};
        if (!c.theme.empty()) {
            arguments.insert(arguments.end(), {"--theme", c.theme});
        }
        if (c.albums) {
            arguments.push_back("--albums");
        }
        const ProgramRun run = Cli(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        c.values["Source-Dir"] = source;
        c.values["Target-Dir"] = dir / "100% Rome site";
        c.values.try_emplace("Index-Page-Title", "100%% Rome");
        c.values["Index-Thumbnail-Layout-Type"] = "1";
        c.values["Index-Thumbnails-Across"] = "4";
        c.values["Index-Thumbnails-Down"] = "5";
        if (c.theme.empty()) {
            c.values["Index-Boilerplate"] = dir / (name + "-theme/index.htm");
            c.values["Content-Boilerplate"] = dir / (name + "-theme/content.htm");
        }
        std::vector<std::string> lines =
            SettingLines(ReadFileBytes(MAVREN_BINARY_DIR "/Default.mav"));
        for (std::string& line : lines) {
            const std::string key = line.substr(0, line.find(" = "));
            if (c.values.count(key) != 0) {
                line = key + " = " + c.values[key];
            }
        }
        lines.insert(lines.end(), c.added.begin(), c.added.end());
        // Every new program's site shows its start page at its own address, keeps its links
        // and carries its name.
        lines.insert(lines.end(), {"Site-Index-Html = Yes", "Page-Names-From-Files = Yes",
                                   "Site-Name = 100% Rome", "Pages-For-Sharing = Yes"});
        if (c.type == "images") {
            lines.insert(lines.end(),
                         {"Photo-WebP = Yes", "Photo-PNG-As-JPEG = Yes", "Photo-Videos = Yes"});
        }
        EXPECT_EQ(SettingLines(ReadFileBytes(dir / (name + ".mav"))), lines) << name;
    }
}

// Every entry below folder with its size and modification time, one a line.
std::string Listing(const std::string& folder) {
    std::string listing;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        listing += fs::relative(entry.path(), folder).string() + " " +
                   (entry.is_regular_file() ? std::to_string(entry.file_size()) : "folder") + " " +
                   std::to_string(entry.last_write_time().time_since_epoch().count()) + "\n";
    }
    return listing;
}

// Without --target and --folder, new and the run it makes write nothing into the photo
// folder: the program and its theme go beside it, the site into a folder of its own
// there. A folder whose pictures are all in subfolders gets albums, and new says so, as it
// says how many videos it found; the home folder gets neither a site beside it nor albums unasked.
TEST(CliNew, ThePhotoFolderStaysAsItWas) {
    const struct Case {
        std::vector<std::string> photos;  // below the photo folder "Trip"
        std::string said;                 // on standard error, after new
        bool albums;
    } cases[] = {
        {{"Fjord.jpg", "Bubbles.gif"}, "", false},
        {{"Day 1/Fjord.jpg", "Day 2/Bubbles.gif", "Day 2/Harbour/Fjord.jpg"},
         "The folder holds no pictures of its own but its 2 subfolders hold 3: each becomes an "
         "album.\n",
         true},
        {{"Fjord.jpg", "Dusk Colours.mp4"},
         "Found 1 picture and 1 video: each video gets a web copy that every browser plays.\n",
         false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string photos = dir / "Trip";
        for (const std::string& photo : c.photos) {
            fs::create_directories(fs::path(photos + "/" + photo).parent_path());
            fs::copy_file(kExamples + "/photos/" + PathFileName(photo), photos + "/" + photo);
        }
        fs::create_directories(dir / "Trip site");
        WriteFileBytes(dir / "Trip site/notes.txt", "someone else's");
        const std::string before = Listing(photos);

        const ProgramRun made = Cli({"new", "--source", photos});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.out, dir / "Trip.mav\n");
        EXPECT_EQ(made.err, c.said + "The site goes into \"" + dir / "Trip site 2" + "\"\n");
        EXPECT_TRUE(fs::is_regular_file(dir / "Trip-theme/index.htm"));
        Program program;
        ASSERT_TRUE(program.Load(dir / "Trip.mav").ok());
        EXPECT_EQ(program.GetText(ProgramKey::TargetDir), dir / "Trip site 2");
        EXPECT_EQ(program.GetBool(ProgramKey::IncludeSubfolders), c.albums);
        EXPECT_EQ(Listing(photos), before);

        const ProgramRun run = Cli({"generate", "--quiet", dir / "Trip.mav"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(LastLine(run.out), dir / "Trip site 2/INDEX000.HTM");
        EXPECT_EQ(Listing(photos), before);
        EXPECT_EQ(ReadFileBytes(dir / "Trip site/notes.txt"), "someone else's");
    }

    TempDir home;
    WriteFileBytes(home / "Pictures/a.jpg", "x");
    const ProgramRun made =
        RunProgram(MAVREN_CLI, {"new", "--source", home.path()}, "", {"HOME=" + home.path()});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string name = PathFileName(home.path());
    EXPECT_EQ(made.out, home / (name + ".mav\n"));
    EXPECT_EQ(made.err, "The site goes into \"" + home / (name + " site") + "\"\n");
    Program program;
    ASSERT_TRUE(program.Load(home / (name + ".mav")).ok());
    EXPECT_FALSE(program.GetBool(ProgramKey::IncludeSubfolders));
}

TEST(CliNew, AtATerminalTheWholeMissingPathIsAskedForOnce) {
    TempDir dir;
    fs::create_directories(dir / "photos");
    const std::string target = dir / "Sites/2024/trip";
    TerminalRun run({"new", "--source", dir / "photos", "--target", target});
    ASSERT_TRUE(run.WaitForError("[y/n]? ")) << ReadFileBytes(run.err);
    run.Type("y\n");
    EXPECT_EQ(run.Wait(), 0) << ReadFileBytes(run.err);
    EXPECT_TRUE(fs::is_directory(target));
    const std::string err = ReadFileBytes(run.err);
    EXPECT_EQ(err.find("Do you want to create it?"), err.rfind("Do you want to create it?")) << err;
}

TEST(CliNew, WrongArgumentsAndMissingSources) {
    TempDir dir;
    EXPECT_EQ(Cli({"new"}).status, 2);
    EXPECT_EQ(Cli({"new", "--source", dir.path(), "--type", "video"}).status, 2);
    EXPECT_EQ(Cli({"new", "--source", dir.path(), "--name", "a/b"}).status, 2);
    EXPECT_EQ(Cli({"new", "--source"}).status, 2);
    ProgramRun run = Cli({"new", "--source", dir.path(), "--type", "html", "--albums"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with(
        "mavren-cli new: --albums makes albums of pictures; it does not go with --type html\n"))
        << run.err;
    run = Cli({"new", "--source", dir / "missing"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("does not exist"), std::string::npos);
}

TEST(CliNew, WithoutTheDefaultProgramTheBuiltInDefaultsServe) {
    TempDir dir;
    const std::string lonely = dir / "bin/mavren-cli";
    fs::create_directories(dir / "bin");
    fs::copy_file(MAVREN_CLI, lonely);
    fs::create_directories(dir / "src");
    const ProgramRun run = RunProgram(lonely, {"new", "--source", dir / "src"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Warning: Cannot find default Mavren program:\n\n  " +
                           dir / "bin/Default.mav" +
                           "\n\nSome program defaults may be incorrect.\n\nReinstalling Mavren "
                           "will fix this problem.\nThe site goes into \"" +
                           dir / "src site" + "\"\n");
    Program program;
    ASSERT_TRUE(program.Load(dir / "src.mav").ok());
    EXPECT_EQ(program.GetText(ProgramKey::ContentPageTitle), "%F");
}

}  // namespace
