// The generation run: what it reports, how it stops and how it ends.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>

#include "generate/generation_worker.h"
#include "generate/html_files.h"
#include "generate/text_encoding.h"
#include "platform/temporary_files.h"
#include "site_fixture.h"
#include "work/worker_messages.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

// The messages of a run as text, without the paced timing statuses that only a slow run
// posts (after a second).
std::vector<std::string> Normalized(const std::vector<WorkerMessage>& messages) {
    static const std::regex timed(R"(^(\d+) (thumbnails|index entries|content files) in \d+ )"
                                  R"(seconds? - .*$)");
    std::vector<std::string> texts;
    for (const WorkerMessage& message : messages) {
        if (message.message == WM_APP_PROGRESS) {
            texts.push_back("progress " + std::to_string(message.wParam));
            continue;
        }
        if (!std::regex_match(message.text, timed)) {
            texts.push_back(message.text);
        }
    }
    return texts;
}

TEST_F(SiteTest, PostsItsProgressInOrder) {
    program.SetString(K::SourceFileExtension, "*.txt");
    const struct {
        std::size_t a, b;   // the sizes of the two sources
        const char* first;  // the percentage after the first
    } cases[] = {
        {100, 300, "progress 25"},
        {0, 0, "progress 50"},  // all empty: the files count instead of their bytes
    };
    for (const auto& c : cases) {
        AddSource("a.txt", std::string(c.a, 'a'));
        AddSource("b.txt", std::string(c.b, 'b'));
        window = std::make_shared<RecordingReceiver>();
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(Normalized(window->Messages()),
                  (std::vector<std::string>{"Initializing ...", c.first, "progress 100",
                                            "All index entries done.", c.first, "progress 100",
                                            "progress 100", "Finished."}))
            << c.a << " and " << c.b << " bytes";
    }
}

TEST_F(SiteTest, CopiesImagesWithProgressAndThumbnailsWithTheirOwnWord) {
    AddExamplePhoto("Alpine Lake.jpg");
    AddExamplePhoto("Pebbles.png");
    ASSERT_EQ(Generate(), kRunFinished);
    const auto texts = Normalized(window->Messages());
    const std::vector<std::string> start(texts.begin(), texts.begin() + 5);
    EXPECT_EQ(start, (std::vector<std::string>{"Initializing ...",
                                               "Copying \"Alpine Lake.jpg\" ...", "progress 0",
                                               "Copying \"Pebbles.png\" ...", "progress 50"}));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "All thumbnails done."), texts.end());
    EXPECT_EQ(texts.back(), "Finished.");
}

// "Copying" is said of the sources copied, not of those whose copy is already there.
TEST_F(SiteTest, SaysCopyingOnlyOfTheSourcesItCopies) {
    AddExamplePhoto("Alpine Lake.jpg");
    AddExamplePhoto("Pebbles.png");
    const struct {
        const char* touched;  // a source given a new time before the run; "" for none
        std::vector<std::string> copying;
    } runs[] = {
        {"", {"Copying \"Alpine Lake.jpg\" ...", "Copying \"Pebbles.png\" ..."}},
        {"", {}},
        {"Pebbles.png", {"Copying \"Pebbles.png\" ..."}},
    };
    for (const auto& run : runs) {
        if (*run.touched != '\0') {
            SetModificationTime(source + "/" + run.touched, 1700000100);
        }
        window = std::make_shared<RecordingReceiver>();
        ASSERT_EQ(Generate(), kRunFinished);
        std::vector<std::string> copying;
        for (const std::string& text : window->StatusTexts()) {
            if (text.starts_with("Copying")) {
                copying.push_back(text);
            }
        }
        EXPECT_EQ(copying, run.copying) << run.touched;
    }
}

// A main window that presses "Stop!" when it sees a given status (or the first message of
// another kind).
class StopAtStatus : public RecordingReceiver {
  public:
    StopAtStatus(std::string status, std::shared_ptr<StopFlag> stop,
                 unsigned kind = WM_APP_STATUS_TEXT)
        : status(std::move(status)), stop(std::move(stop)), kind(kind) {}
    void Post(WorkerMessage message) override {
        if (message.message == kind && message.text.rfind(status, 0) == 0) {
            stop->Request();
        }
        RecordingReceiver::Post(std::move(message));
    }

  private:
    std::string status;
    std::shared_ptr<StopFlag> stop;
    unsigned kind;
};

TEST_F(SiteTest, StopDuringCopyingWritesNoPagesAndRecordsNever) {
    AddExamplePhoto("Alpine Lake.jpg", "a.jpg");
    AddExamplePhoto("Fjord.jpg", "b.jpg");
    AddExamplePhoto("Meadow.jpg", "c.jpg");
    program.SetDate(K::LastGenerated, 40000.5);
    const auto stopper = std::make_shared<StopAtStatus>("Copying \"b.jpg\"", stop);
    window = stopper;

    EXPECT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(program.GetText(K::LastGenerated), "Never");
    EXPECT_TRUE(program.EditedSinceGenerated());
    EXPECT_EQ(stopper->Progress().back(), 0);
    EXPECT_EQ(stopper->StatusTexts().back(), "Stopped by operator.");
    // The copy under way completes; the next file is not started.
    EXPECT_TRUE(fs::exists(target + "/b.jpg"));
    EXPECT_FALSE(fs::exists(target + "/c.jpg"));
    EXPECT_TRUE(FileNames(target, ".HTM").empty());
    EXPECT_TRUE(FileNames(target + "/Thumbs").empty());
}

TEST_F(SiteTest, StopDuringIndexPagesClosesThePageAndSkipsContentPages) {
    program.SetString(K::SourceFileExtension, "*.txt");
    program.SetInt(K::IndexThumbnailLayoutType, 1);
    program.SetInt(K::IndexThumbnailsAcross, 1);
    program.SetInt(K::IndexThumbnailsDown, 1);
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        AddSource(name, "x");
    }
    const auto stopper = std::make_shared<StopAtStatus>("", stop, WM_APP_PROGRESS);
    window = stopper;
    EXPECT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(FileNames(target, ".HTM"), std::vector<std::string>{"INDEX000.HTM"});
    EXPECT_NE(Page("INDEX000.HTM").find("</HTML>\r\n"), std::string::npos);
    EXPECT_EQ(stopper->StatusTexts().back(), "Stopped by operator.");
    EXPECT_EQ(program.GetDate(K::LastGenerated), 0.0);
}

// "No files found!" as it always was for a folder without sources (a "%" kept as written);
// a folder whose pictures are all in subfolders, as an album run finds them, adds how to
// turn albums on; a folder that is gone is named as missing, with albums or without.
TEST_F(SiteTest, NoFilesFoundNamesTheFolderTheUpperCasePatternsAndWhereThePicturesAre) {
    const std::string odd = dir / "100% sure";
    const std::string noFiles = "No files found!\n\nThe directory:\n\n\t" + odd +
                                "\n\ndoes not contain any files of type \"*.JPG;*.PNG;*.GIF\"";
    const std::string turnOn =
        ": turn on albums (mavren-cli set '/home/ann/my trip.mav' Include-Subfolders=Yes, or "
        "the Photos page)";
    const struct Case {
        std::vector<std::string> files;  // below the source folder; none: it is missing
        bool albums;
        std::string text;
    } cases[] = {
        {{"notes.txt", "Notes/a.txt"}, false, noFiles},
        {{"Rome/a.jpg", "Rome/Day 1/b.png", "Paris/c.gif", ".hidden/d.jpg", "Thumbs/TN_e.jpg",
          "Web/f.jpg", "Empty/notes.txt"},
         false,
         noFiles + "\n\nIts 2 subfolders hold 3 pictures" + turnOn},
        {{"Rome/Day 1/b.png"}, false, noFiles + "\n\nIts subfolder holds 1 picture" + turnOn},
        {{}, false, "The source directory \"" + odd + "\" does not exist."},
        {{}, true, "The source directory \"" + odd + "\" does not exist."},
    };
    program.SetString(K::SourceDir, odd);
    program.path = "/home/ann/my trip.mav";
    for (const Case& c : cases) {
        fs::remove_all(odd);
        for (const std::string& file : c.files) {
            WriteFileBytes(odd + "/" + file, "x");
        }
        program.SetInt(K::IncludeSubfolders, c.albums ? 1 : 0);
        const std::size_t shown = boxes->Texts().size();
        EXPECT_EQ(Generate(), kRunNoSourceFiles);
        ASSERT_EQ(boxes->Texts().size(), shown + 1);
        EXPECT_EQ(boxes->Texts().back(), c.text);
        EXPECT_EQ(program.GetDate(K::LastGenerated), 0.0);
    }
}

TEST_F(SiteTest, PagesOfAnEarlierRunInTheSameFolderAreNotSources) {
    program.SetString(K::SourceFileExtension, "*.htm;*.html");
    program.SetString(K::TargetDir, source);
    AddSource("page.htm", "<HTML><BODY>mine</BODY></HTML>");
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_EQ(FileNames(source, ".HTM"), (std::vector<std::string>{"GEN0000.HTM", "INDEX000.HTM"}));

    // Run again: only the user's page is a source.
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(FileNames(source, ".HTM"), (std::vector<std::string>{"GEN0000.HTM", "INDEX000.HTM"}));
    EXPECT_NE(ReadFileBytes(source + "/INDEX000.HTM").find(">page.htm "), std::string::npos);

    fs::remove(source + "/page.htm");
    EXPECT_EQ(Generate(), kRunNoSourceFiles);
    ASSERT_FALSE(boxes->Texts().empty());
    const std::string text = boxes->Texts().back();
    const std::string ending = "\"*.HTM;*.HTML\"\nthat were not generated by Mavren";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

TEST_F(SiteTest, SameFolderForImagesCopiesNothingAndSkipsTheToolsOwnPictures) {
    program.SetString(K::TargetDir, source);
    AddExamplePhoto("Bubbles.gif");
    AddExamplePhoto("Bubbles.gif", "GifPlaceHolder.gif");
    AddExamplePhoto("Bubbles.gif", "GeneratedWithMavren.gif");
    ASSERT_EQ(Generate(), kRunFinished);
    for (const std::string& text : window->StatusTexts()) {
        EXPECT_EQ(text.find("Copying"), std::string::npos) << text;
    }
    const std::string index = ReadFileBytes(source + "/INDEX000.HTM");
    EXPECT_NE(index.find("Bubbles.gif (4KB)"), std::string::npos);
    EXPECT_EQ(index.find("GifPlaceHolder.gif ("), std::string::npos);
    EXPECT_EQ(FileNames(source, ".HTM"), (std::vector<std::string>{"GEN0000.HTM", "INDEX000.HTM"}));
}

TEST_F(SiteTest, SameFolderWrittenAnotherWayIsStillTheSameFolder) {
    program.SetString(K::TargetDir, source + "/.");
    AddExamplePhoto("Meadow.jpg");
    ASSERT_EQ(Generate(), kRunFinished);
    for (const std::string& text : window->StatusTexts()) {
        EXPECT_EQ(text.find("Copying"), std::string::npos) << text;
    }
    EXPECT_EQ(fs::file_size(source + "/Meadow.jpg"), 32828u);
}

TEST_F(SiteTest, EmptyPatternScansImagesButTreatsThemAsNoKind) {
    program.SetString(K::SourceFileExtension, "");
    AddExamplePhoto("Meadow.jpg");
    AddSource("notes.txt", "x");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_FALSE(fs::exists(target + "/Meadow.jpg")) << "not copied";
    EXPECT_TRUE(FileNames(target + "/Thumbs").empty());
    EXPECT_EQ(FileNames(target, ".HTM"), (std::vector<std::string>{"GEN0000.HTM", "INDEX000.HTM"}));
    EXPECT_NE(Page("INDEX000.HTM").find("<A HREF=\"GEN0000.HTM\">Meadow.jpg      </A>"),
              std::string::npos);
    EXPECT_NE(Page("GEN0000.HTM").find("<H1>Meadow.jpg</H1>"), std::string::npos);
    EXPECT_NE(Page("GEN0000.HTM").find("<TD ALIGN=LEFT VALIGN=TOP>\r\n    </TD>"),
              std::string::npos)
        << "an empty content cell";
    EXPECT_EQ(Page("GEN0000.HTM").find("<IMG"), std::string::npos);
}

TEST_F(SiteTest, CorruptImageAsksOnceAndIsListedWithoutAPicture) {
    AddSource("bad.jpg", "not a picture");
    AddExamplePhoto("Meadow.jpg");
    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0], "Failed to get size of image '" + target +
                                     "/bad.jpg'.\n\nIt is not a valid JPG file."
                                     "\n\nDo you want to continue?");
    EXPECT_EQ(boxes->Boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
    // Not a broken picture: the placeholder, and why.
    for (const char* page : {"GEN0000.HTM", "INDEX000.HTM"}) {
        EXPECT_NE(Page(page).find("SRC=\"DamagedPlaceHolder.png\" ALT=\"\"><BR>\r\n"
                                  "      bad.jpg cannot be shown: it is not a valid JPG file.\r\n"),
                  std::string::npos)
            << Page(page);
    }
    EXPECT_NE(Page("INDEX000.HTM").find("<A HREF=\"GEN0000.HTM\">\r\n      <IMG WIDTH=120 "),
              std::string::npos);
    EXPECT_EQ(Page("INDEX000.HTM").find("TN_bad.jpg"), std::string::npos);
    EXPECT_EQ(summary.withoutThumbnail, 1);
    EXPECT_EQ(summary.thumbnailsMade, 1);
    EXPECT_TRUE(program.HasBeenGenerated());
}

TEST_F(SiteTest, ADamagedPictureKeepsItsThumbnailAndIsNamedOnce) {
    AddExamplePhoto("Meadow.jpg");
    // Stray bytes before the scan: corrupt data, which a browser shows all the same.
    const std::string meadow = ReadFileBytes(source + "/Meadow.jpg");
    const std::size_t scan = meadow.find("\xFF\xDA");
    AddSource("Spoilt.jpg", meadow.substr(0, scan) + std::string(2, '\0') + meadow.substr(scan));
    ASSERT_EQ(Generate(), kRunFinished);
    const auto texts = window->StatusTexts();
    const std::string said =
        "Damaged picture \"Spoilt.jpg\": its thumbnail shows what could be read";
    EXPECT_EQ(std::count(texts.begin(), texts.end(), said), 1);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& text) {
                                return text.starts_with("Damaged picture") ||
                                       text.starts_with("No thumbnail");
                            }),
              1)
        << "nothing said of the whole picture";
    EXPECT_EQ(summary.thumbnailsMade, 2);
    EXPECT_NE(Page("INDEX000.HTM").find("Thumbs/TN_Spoilt.jpg"), std::string::npos);
}

TEST_F(SiteTest, WhatAKilledRunLeftGoesAtTheStartOfTheNext) {
    AddExamplePhoto("Meadow.jpg");
    const std::string running =
        std::string(kTemporaryFilePrefix) + std::to_string(::getpid()) + "-0";
    WriteFileBytes(target + "/" + LeftoverName(1), "half a page");
    WriteFileBytes(target + "/Thumbs/" + LeftoverName(2), "half a thumbnail");
    WriteFileBytes(target + "/" + running, "being written");
    ASSERT_EQ(Generate(), kRunFinished);
    const auto texts = window->StatusTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.begin() + 3),
              (std::vector<std::string>{"Removed leftover \"" + LeftoverName(1) + "\"",
                                        "Removed leftover \"Thumbs/" + LeftoverName(2) + "\""}));
    EXPECT_FALSE(fs::exists(target + "/" + LeftoverName(1)));
    EXPECT_FALSE(fs::exists(target + "/Thumbs/" + LeftoverName(2)));
    EXPECT_TRUE(fs::exists(target + "/" + running)) << "its writer is still at work";
}

// Each way a page step can fail: the run ends after the message, unfinished.
TEST_F(SiteTest, FailedPageStepEndsTheRunWithoutFinishing) {
    program.SetString(K::SourceFileExtension, "*.txt");
    WriteFileBytes(dir / "plate.htm", "<HTML>no tag</HTML>");
    const struct {
        const char* name;
        std::function<void(const std::string& target)> arrange;
        const char* message;
    } cases[] = {
        {"index boilerplate without its tag",
         [&](const std::string&) { program.SetString(K::IndexBoilerplate, dir / "plate.htm"); },
         "Cannot use file for boilerplate"},
        {"content file with a zero byte, answered No",
         [&](const std::string&) {
             AddSource("b.txt", std::string("zero\0byte", 9));
             boxes->QueueAnswer(IDNO);
         },
         "Problem with a content file:"},
        {"page that cannot be written",
         [&](const std::string& site) { fs::create_directories(site + "/GEN0000.HTM"); },
         "Failed to create file: "},
    };
    for (const auto& c : cases) {
        const std::string site = dir / ("site-" + std::to_string(&c - cases));
        fs::remove_all(source);
        fs::create_directories(source);
        AddSource("a.txt", "text");
        program.SetString(K::IndexBoilerplate, "");
        program.SetString(K::TargetDir, site);
        program.SetDate(K::LastGenerated, 40000.5);
        c.arrange(site);
        window = std::make_shared<RecordingReceiver>();
        const std::size_t boxesBefore = boxes->Texts().size();

        EXPECT_EQ(Generate(), kRunEndedAfterMessage) << c.name;
        ASSERT_GT(boxes->Texts().size(), boxesBefore) << c.name;
        EXPECT_EQ(boxes->Texts().back().rfind(c.message, 0), 0u) << c.name;
        const auto texts = window->StatusTexts();
        EXPECT_EQ(std::find(texts.begin(), texts.end(), "Finished."), texts.end()) << c.name;
        EXPECT_EQ(program.GetDate(K::LastGenerated), 40000.5) << c.name;
    }
}

// A boilerplate or a source over 16 MB is refused with a message naming it, unread; a
// boilerplate of exactly 16 MB serves, and the pages merged with it have no such limit.
TEST_F(SiteTest, FilesOverTheSizeLimitAreRefusedUnread) {
    const std::size_t limit = 16 * 1024 * 1024;
    const std::string plate = dir / "plate.htm";
    const std::string tooLarge = "is larger than 16 MB (16,777,217 bytes) and is not read\n";
    const struct {
        const char* name;
        const char* pattern;
        const char* source;
        std::function<void(const std::string& path)> arrange;  // given the file to size
        int answer;                                            // to the question, or 0
        int outcome;
        std::string box;  // the first box; "%s" stands for the boilerplate or the source
    } cases[] = {
        {"index boilerplate", "*.txt", "a.txt",
         [&](const std::string&) {
             WriteFileBytes(plate, "<MAVREN-BOILERPLATE>");
             std::filesystem::resize_file(plate, limit + 1);
             program.SetString(K::IndexBoilerplate, plate);
         },
         0, kRunEndedAfterMessage, "Cannot use file for boilerplate\n\n'%s' " + tooLarge},
        {"text source, Yes", "*.txt", "big.txt",
         [&](const std::string& path) { std::filesystem::resize_file(path, limit + 1); }, IDYES,
         kRunFinished,
         "Problem with a content file:\n\n'%s' " + tooLarge + "\nDo you want to continue?"},
        {"HTML source, No", "*.htm;*.html", "big.htm",
         [&](const std::string& path) {
             WriteFileBytes(path, "<BODY>" + std::string(limit - 13, 'x') + "</BODY>x");
         },
         IDNO, kRunEndedAfterMessage,
         "Cannot extract BODY from this HTML file\n\n'%s' " + tooLarge},
        {"boilerplate of exactly 16 MB", "*.txt", "a.txt",
         [&](const std::string&) {
             const std::string open = "<HTML><HEAD></HEAD><BODY><MAVREN-BOILERPLATE>";
             const std::string close = "</BODY></HTML>";
             WriteFileBytes(plate,
                            open + std::string(limit - open.size() - close.size(), ' ') + close);
             program.SetString(K::IndexBoilerplate, plate);
         },
         0, kRunFinished, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(source);
        AddSource(c.source, "text");
        program.SetString(K::SourceFileExtension, c.pattern);
        program.SetString(K::IndexBoilerplate, "");
        program.SetString(K::TargetDir, dir / ("site-" + std::to_string(&c - cases)));
        const std::string path = source + "/" + c.source;
        c.arrange(path);
        if (c.answer != 0) {
            boxes->QueueAnswer(c.answer);
        }
        const std::size_t boxesBefore = boxes->Texts().size();

        EXPECT_EQ(Generate(), c.outcome);
        const std::vector<std::string> texts = boxes->Texts();
        ASSERT_EQ(texts.size() - boxesBefore, c.box.empty() ? 0u : c.answer == IDNO ? 2u : 1u);
        if (!c.box.empty()) {
            std::string box = c.box;
            box.replace(box.find("%s"), 2, &c == cases ? plate : path);
            EXPECT_EQ(texts[boxesBefore], box);
        }
    }
    EXPECT_EQ(boxes->UnscriptedCount(), 0);
    // The page merged with the largest boilerplate is marked as the tool's own.
    EXPECT_NE(ReadFileBytes(dir / "site-3/INDEX000.HTM").find("CONTENT=\"Mavren 1.0\""),
              std::string::npos);
    EXPECT_NE(ReadFileBytes(dir / "site-1/GEN0000.HTM")
                  .find("File not included due to problems with content."),
              std::string::npos);
}

// Pages of the user's own where the run writes its pages: one question lists exactly
// those it would replace, before anything is written; No ends the run.
TEST_F(SiteTest, PagesWithoutTheMarkAreReplacedOnlyAfterOneQuestion) {
    AddExamplePhoto("Fjord.jpg");
    AddExamplePhoto("Meadow.jpg");
    const std::vector<std::string> own = {"INDEX000.HTM", "INDEX001.HTM", "INDEX002.HTM",
                                          "GEN0001.HTM",  "GEN0002.HTM",  "Meadow.html"};
    const struct {
        const char* name;
        std::function<void()> arrange;
        const char* listed;  // the pages the question names
    } cases[] = {
        {"one index page", [] {}, "   INDEX000.HTM\n   GEN0001.HTM\n"},
        {"one entry a page",
         [&] {
             program.SetInt(K::IndexThumbnailLayoutType, 1);
             program.SetInt(K::IndexThumbnailsAcross, 1);
             program.SetInt(K::IndexThumbnailsDown, 1);
         },
         "   INDEX000.HTM\n   INDEX001.HTM\n   GEN0001.HTM\n"},
        {"no index pages", [&] { program.SetInt(K::GenerateIndexPage, 0); }, "   GEN0001.HTM\n"},
        {"pages named after their files", [&] { program.SetInt(K::PageNamesFromFiles, 1); },
         "   INDEX000.HTM\n   Meadow.html\n"},
        {"no content pages", [&] { program.SetInt(K::GenerateContentPages, 0); },
         "   INDEX000.HTM\n"},
    };
    program.SetInt(K::IndexGenerateMultiplePages, 1);
    program.SetDate(K::LastGenerated, 40000.5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(target);
        for (const std::string& name : own) {
            WriteFileBytes(target + "/" + name, "<HTML>" + name + " of my own</HTML>");
        }
        WriteFileBytes(target + "/GEN0000.HTM", "<META CONTENT=\"Mavren 1.0\">");  // ours
        program.SetInt(K::IndexThumbnailLayoutType, 0);
        program.SetInt(K::GenerateIndexPage, 1);
        program.SetInt(K::GenerateContentPages, 1);
        program.SetInt(K::PageNamesFromFiles, 0);
        c.arrange();
        boxes->QueueAnswer(IDNO);

        EXPECT_EQ(Generate(), kRunEndedAfterMessage);
        ASSERT_FALSE(boxes->Boxes().empty());
        EXPECT_EQ(boxes->Boxes().back().text,
                  "Generating would replace these pages in the folder \"" + target +
                      "\", which Mavren did not write:\n\n" + c.listed +
                      "\nDo you want to continue?");
        EXPECT_EQ(boxes->Boxes().back().flags, MB_YESNO | MB_ICONQUESTION);
        for (const std::string& name : own) {
            EXPECT_EQ(Page(name), "<HTML>" + name + " of my own</HTML>");
        }
        EXPECT_FALSE(fs::exists(target + "/Fjord.jpg")) << "nothing copied";
        EXPECT_EQ(program.GetDate(K::LastGenerated), 40000.5);
    }
    EXPECT_EQ(boxes->Boxes().size(), 5u);

    boxes->QueueAnswer(IDYES);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(IsGeneratedFile(target + "/INDEX000.HTM", nullptr));
    EXPECT_EQ(Page("INDEX001.HTM"), "<HTML>INDEX001.HTM of my own</HTML>") << "not written";
    EXPECT_EQ(boxes->UnscriptedCount(), 0);
}

TEST_F(SiteTest, BackgroundThatCannotBeCopiedIsToldOnceAndThePagesGoWithoutIt) {
    program.SetString(K::SourceFileExtension, "*.txt");
    AddSource("a.txt", "a");
    AddSource("b.txt", "b");
    program.SetInt(K::HtmlBackgroundStyle, 0);
    program.SetString(K::HtmlBackgroundImage, dir / "missing.gif");
    program.SetString(K::HtmlTextColorColor, "Navy");
    ASSERT_EQ(Generate(), kRunFinished);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    EXPECT_EQ(boxes->Texts()[0].rfind("Failed to copy background image:", 0), 0u);
    for (const char* name : {"INDEX000.HTM", "GEN0000.HTM", "GEN0001.HTM"}) {
        EXPECT_NE(Page(name).find("<BODY  TEXT=\"Navy\">\r\n"), std::string::npos) << name;
        EXPECT_NE(Page(name).find("</HTML>\r\n"), std::string::npos) << name;
    }

    // A web address is named as it stands, and nothing is copied.
    program.SetString(K::HtmlBackgroundImage, "https://example.org/tile.gif");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(boxes->Texts().size(), 1u);
    EXPECT_NE(Page("GEN0001.HTM").find("<BODY  BACKGROUND=\"https://example.org/tile.gif\""),
              std::string::npos);
}

TEST_F(SiteTest, PagesHoldingUtf8DeclareItAndOthersStayAsTheyWere) {
    program.SetString(K::SourceFileExtension, "*.txt");
    AddSource("Z\xc3\xbcrich.txt", "lake");
    AddSource("old.txt",
              "Gr\xfc\xdf"
              "e");  // Latin-1
    const std::string plate = dir / "plate.htm";
    WriteFileBytes(plate,
                   "<HTML>\r\n<HEAD>\r\n<TITLE>Trip</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
                   "<MAVREN-BOILERPLATE>\r\n</BODY>\r\n</HTML>\r\n");
    program.SetString(K::IndexBoilerplate, plate);
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string generator = "<META NAME=\"generator\" CONTENT=\"Mavren 1.0\">";
    const std::string declared = std::string(kUtf8Meta);
    // Sorted: old.txt is GEN0000.HTM, Zürich.txt GEN0001.HTM.
    EXPECT_EQ(Page("GEN0000.HTM").find(declared), std::string::npos);
    EXPECT_EQ(Page("GEN0001.HTM").rfind("<HTML>\r\n" + generator + "\r\n" + declared + "\r\n", 0),
              0u);
    EXPECT_NE(Page("INDEX000.HTM").find("<HEAD>\n" + generator + "\n" + declared + "\n"),
              std::string::npos);

    // A boilerplate that declares its own character set keeps it alone.
    WriteFileBytes(plate,
                   "<HTML><HEAD><META charset=\"windows-1252\"></HEAD><BODY>"
                   "<MAVREN-BOILERPLATE></BODY></HTML>");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(Page("INDEX000.HTM").find(declared), std::string::npos);
}

// The tags for the title and the language fill a boilerplate's head; a page without a
// heading takes its file's name, and a named language reaches classic pages too.
TEST_F(SiteTest, BoilerplateTagsTakeThePageHeadingAndLanguage) {
    program.SetString(K::SourceFileExtension, "*.txt");
    AddSource("a&b.txt", "text");
    const std::string plate = dir / "plate.htm";
    WriteFileBytes(plate,
                   "<html lang=\"<MAVREN-LANGUAGE>\"><head><title><MAVREN-TITLE></title></head>"
                   "<body><MAVREN-BOILERPLATE></body></html>");
    struct Case {
        const char* language;
        const char* contentTitle;
        const char* expectedLang;  // LC_ALL is C.UTF-8 under ctest: English
        const char* expectedTitle;
        const char* classicHtml;
    };
    const Case cases[] = {
        {"", "%F", "en", "a&amp;b.txt", "<HTML>\r\n"},
        {"de-CH", "", "de-CH", "a&amp;b.txt", "<HTML LANG=\"de-CH\">\r\n"},
        {"", "Page %F", "en", "Page a&amp;b.txt", "<HTML>\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contentTitle);
        program.SetString(K::PageLanguage, c.language);
        program.SetString(K::ContentPageTitle, c.contentTitle);
        program.SetString(K::IndexPageTitle, "Trip");
        program.SetString(K::ContentBoilerplate, plate);
        program.SetString(K::IndexBoilerplate, plate);
        ASSERT_EQ(Generate(), kRunFinished);
        const std::string head = std::string("<html lang=\"") + c.expectedLang + "\"><head>";
        EXPECT_EQ(Page("GEN0000.HTM").rfind(head, 0), 0u);
        EXPECT_NE(Page("GEN0000.HTM").find(std::string("<title>") + c.expectedTitle + "</title>"),
                  std::string::npos);
        EXPECT_NE(Page("INDEX000.HTM").find("<title>Trip</title>"), std::string::npos);

        program.SetString(K::ContentBoilerplate, "");
        ASSERT_EQ(Generate(), kRunFinished);
        EXPECT_EQ(Page("GEN0000.HTM").rfind(c.classicHtml, 0), 0u);
    }
}

TEST_F(SiteTest, JpegNamesArePicturesWithTheListNewProgramsGet) {
    AddExamplePhoto("Meadow.jpg", "meadow.jpeg");
    AddExamplePhoto("Fjord.jpg");
    // A program stored before keeps its list, which takes no .jpeg name.
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(FileNames(target, ".HTM"), (std::vector<std::string>{"GEN0000.HTM", "INDEX000.HTM"}));

    program.SetString(K::SourceFileExtension, "*.jpg;*.jpeg;*.png;*.gif");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_NE(Page("INDEX000.HTM")
                  .find("<IMG WIDTH=80 HEIGHT=120 BORDER=0\r\n"
                        "           SRC=\"Thumbs/TN_meadow.jpeg\">"),
              std::string::npos);
    EXPECT_NE(Page("GEN0001.HTM").find("<IMG WIDTH=427 HEIGHT=640 BORDER=0"), std::string::npos);
    EXPECT_TRUE(fs::exists(target + "/meadow.jpeg"));
}

TEST_F(SiteTest, CorruptImageAndNoEndsTheRun) {
    AddSource("bad.jpg", "not a picture");
    program.SetDate(K::LastGenerated, 40000.5);
    boxes->QueueAnswer(IDNO);
    EXPECT_EQ(Generate(), kRunEndedAfterMessage);
    EXPECT_EQ(program.GetDate(K::LastGenerated), 40000.5);
    EXPECT_TRUE(FileNames(target, ".HTM").empty());
}

TEST_F(SiteTest, FailedCopyEndsTheRun) {
    AddExamplePhoto("Meadow.jpg");
    fs::create_directories(target + "/Meadow.jpg");  // a folder where the copy should go
    EXPECT_EQ(Generate(), kRunEndedAfterMessage);
    ASSERT_EQ(boxes->Texts().size(), 1u);
    const std::string expected = "Failed to copy file:\n\n   " + source + "/Meadow.jpg\nto\n  " +
                                 target + "/Meadow.jpg\n\n(";
    EXPECT_EQ(boxes->Texts()[0].substr(0, expected.size()), expected);
    EXPECT_EQ(boxes->Texts()[0].back(), ')');
}

TEST_F(SiteTest, TargetOrThumbnailFolderThatCannotBeMadeEndsTheRunWithWhy) {
    AddExamplePhoto("Meadow.jpg");
    const struct {
        std::string inTheWay;  // a file where a folder should be
        std::string text;
    } cases[] = {
        {target, "Cannot create target directory:\n\n  " + target + "\n\nReason: mkdir '" + target +
                     "': File exists"},
        {target + "/Thumbs", "Cannot create thumbnail directory:\n\n  " + target +
                                 "/Thumbs\n\nReason: mkdir '" + target + "/Thumbs': File exists"},
    };
    for (const auto& c : cases) {
        fs::remove_all(target);
        fs::create_directories(fs::path(c.inTheWay).parent_path());
        WriteFileBytes(c.inTheWay, "a file where a folder should be");
        const std::size_t shown = boxes->Texts().size();
        EXPECT_EQ(Generate(), kRunNoThumbnailFolder) << c.inTheWay;
        ASSERT_EQ(boxes->Texts().size(), shown + 1) << c.inTheWay;
        EXPECT_EQ(boxes->Texts().back(), c.text);
    }
}

TEST_F(SiteTest, MissingTargetFolderIsMade) {
    program.SetInt(K::GenerateThumbnails, 0);
    AddExamplePhoto("Meadow.jpg");
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(boxes->Texts().empty());
    EXPECT_TRUE(fs::exists(target + "/INDEX000.HTM"));
    EXPECT_FALSE(fs::exists(target + "/Thumbs"));
}

TEST_F(SiteTest, SecondRunOverAnUnchangedFolderKeepsThumbnailsAndCopies) {
    AddExamplePhoto("Alpine Lake.jpg");
    AddExamplePhoto("Pebbles.png");
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string index = Page("INDEX000.HTM");
    // Times to the nanosecond: any rewrite would show.
    const auto thumbnailTime = fs::last_write_time(target + "/Thumbs/TN_Pebbles.png");
    const auto copyTime = fs::last_write_time(target + "/Pebbles.png");
    ASSERT_EQ(Generate(4), kRunFinished);
    EXPECT_EQ(summary.thumbnailsKept, 2);
    EXPECT_EQ(summary.thumbnailsMade, 0);
    EXPECT_EQ(Page("INDEX000.HTM"), index);
    EXPECT_EQ(fs::last_write_time(target + "/Thumbs/TN_Pebbles.png"), thumbnailTime);
    EXPECT_EQ(fs::last_write_time(target + "/Pebbles.png"), copyTime);
}

TEST_F(SiteTest, WorkerPostsWorkDoneLastAndReportsWhatEscapesTheRun) {
    program.SetString(ProgramKey::SourceFileExtension, "*.txt");
    AddSource("a.txt", "x");
    GenerationRequest request;
    request.program = &program;
    request.options.window = window;
    EXPECT_EQ(GenerationWorker(request), kRunFinished);
    EXPECT_EQ(window->Messages().back().message, WM_APP_WORK_DONE);

    // A disk that fills up while a page is written.
    fs::remove(target + "/INDEX000.HTM");
    fs::create_symlink("/dev/full", target + "/INDEX000.HTM");
    const auto second = std::make_shared<RecordingReceiver>();
    request.options.window = second;
    EXPECT_EQ(GenerationWorker(request), kRunFailed);
    ASSERT_EQ(boxes->Boxes().size(), 1u);
    EXPECT_EQ(boxes->Boxes()[0].text, "Cannot complete generation.\n\nReason: Failed to write '" +
                                          target + "/INDEX000.HTM' (No space left on device)");
    EXPECT_EQ(boxes->Boxes()[0].flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(second->Messages().back().message, WM_APP_WORK_DONE);
}

}  // namespace
