// What published pictures carry: nothing private in a new program's site, originals
// without place that are the source apart from it, and runs that say when originals show
// where they were taken. The private photos are made by exiftool from the examples.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "document/new_program_defaults.h"
#include "generate/generation_summary.h"
#include "site_fixture.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

// Every private value below carries this word, so that one byte scan finds any of them.
constexpr char kPrivate[] = "PRIVATE";

std::string ExifTool(const std::vector<std::string>& arguments) {
    const ProgramRun run = RunProgram("/usr/bin/exiftool", arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// The PNG's chunk types, in order.
std::vector<std::string> PngChunks(const std::string& bytes) {
    std::vector<std::string> types;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::size_t length =
            static_cast<std::size_t>(static_cast<unsigned char>(bytes[at]) << 24 |
                                     static_cast<unsigned char>(bytes[at + 1]) << 16 |
                                     static_cast<unsigned char>(bytes[at + 2]) << 8 |
                                     static_cast<unsigned char>(bytes[at + 3]));
        types.push_back(bytes.substr(at + 4, 4));
        at += 12 + length;
    }
    return types;
}

// The JPEG from its first scan on: the coded pixels and whatever follows them.
std::string FromFirstScan(const std::string& bytes) {
    const std::size_t scan = bytes.find("\xFF\xDA");
    return scan == std::string::npos ? std::string() : bytes.substr(scan);
}

// The tags exiftool lists, one "[group] name: value" a line, less the file system's.
std::string Tags(const std::string& path) {
    return ExifTool({"-a", "-s", "-G1", "-sort", "--System:all", "--ExifTool:all", path});
}

// Lines of text that mention none of words.
std::string LinesWithout(const std::string& text, const std::vector<std::string>& words) {
    std::string kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (std::none_of(words.begin(), words.end(), [&line](const std::string& word) {
                return line.find(word) != std::string::npos;
            })) {
            kept += line + "\n";
        }
    }
    return kept;
}

class PublishedPrivacyTest : public SiteTest {
  protected:
    // A new program's settings for these folders.
    void MakeNewProgram(bool webCopies) {
        program.ApplyDefaults();
        NewProgramSettings settings{source, target, "*.jpg;*.jpeg;*.png;*.gif", true, {}};
        settings.pictureChoices.webCopies = webCopies;
        ApplyNewProgramDefaults(program, settings);
        program.SetInt(K::ContentImageIsLink, 1);
    }

    // A photo tagged with a place, serial numbers, an owner and a comment, with a motion
    // video's worth of bytes after its end.
    void AddPrivateJpeg(const std::string& example, const std::string& name,
                        const std::vector<std::string>& tags) {
        AddExamplePhoto(example, name);
        const std::string path = source + "/" + name;
        std::vector<std::string> arguments = {"-q", "-overwrite_original"};
        arguments.insert(arguments.end(), tags.begin(), tags.end());
        arguments.push_back(path);
        ExifTool(arguments);
        WriteFileBytes(path, ReadFileBytes(path) + "MOTION-VIDEO-PRIVATE");
        SetModificationTime(path, 1700000000);
    }

    void AddPrivatePhotos() {
        AddPrivateJpeg("Alpine Lake.jpg", "Alpine Lake.jpg", kPlaceAndIdentity);
        // No camera data beside the comment: a web copy of its own size is its own bytes.
        AddPrivateJpeg("Meadow.jpg", "Meadow.jpg", {"-all=", "-Comment=COMMENT-PRIVATE"});
        AddExamplePhoto("Pebbles.png");
        AddExamplePhoto("Sunset Sketch.png");
        AddExamplePhoto("Bubbles.gif");
        ExifTool({"-q", "-overwrite_original", "-PNG:Comment=PNG-TEXT-PRIVATE",
                  "-XMP-exif:GPSLatitude=48.1", "-XMP-exif:GPSLongitude=11.5",
                  "-EXIF:SerialNumber=PNG-SERIAL-PRIVATE", source + "/Pebbles.png"});
        ExifTool({"-q", "-overwrite_original", "-PNG:Comment=PNG-TEXT-PRIVATE",
                  source + "/Sunset Sketch.png"});
        ExifTool({"-q", "-overwrite_original", "-XMP-exif:GPSLatitude=48.1",
                  "-XMP-exif:GPSLongitude=11.5", "-XMP-aux:SerialNumber=GIF-SERIAL-PRIVATE",
                  "-Comment=GIF-COMMENT-PRIVATE", source + "/Bubbles.gif"});
        for (const char* name : {"Pebbles.png", "Sunset Sketch.png", "Bubbles.gif"}) {
            SetModificationTime(source + "/" + name, 1700000000);
        }
    }

    // Every file of the target: nothing private in its bytes, no text chunk in a PNG, and
    // nothing exiftool finds of a place, a serial number, an owner or a comment.
    void ExpectCleanTarget() {
        for (const auto& entry : fs::recursive_directory_iterator(target)) {
            if (!entry.is_regular_file()) {
                continue;
            }
            const std::string path = entry.path().string();
            const std::string bytes = ReadFileBytes(path);
            EXPECT_EQ(bytes.find(kPrivate), std::string::npos) << path;
            if (entry.path().extension() == ".png") {
                for (const std::string& chunk : PngChunks(bytes)) {
                    EXPECT_TRUE(chunk != "tEXt" && chunk != "iTXt" && chunk != "zTXt" &&
                                chunk != "eXIf")
                        << path << " has " << chunk;
                }
            }
        }
        const std::string tags = ExifTool(
            {"-r", "-a", "-s", "-G1", "-ext", "jpg", "-ext", "png", "-ext", "gif", target});
        for (const char* word : {"GPS", "Serial", "Owner", "Comment", "Trailer"}) {
            EXPECT_EQ(tags.find(word), std::string::npos) << word << "\n" << tags;
        }
    }

    // Every picture a content page shows, and every page or file it leads to, is in the site.
    void ExpectPagesShowTheSite() {
        const std::regex address(R"re((?:SRC|HREF)="([^"#:]+)")re");
        for (const std::string& page : FileNames(target, ".HTM")) {
            const std::string text = Page(page);
            for (std::sregex_iterator it(text.begin(), text.end(), address), end; it != end; ++it) {
                const std::string file = std::regex_replace((*it)[1].str(), std::regex("%20"), " ");
                EXPECT_TRUE(fs::is_regular_file(target + "/" + file)) << page << ": " << file;
            }
        }
    }

    const std::vector<std::string> kPlaceAndIdentity = {
        "-GPSLatitude=48.1",
        "-GPSLatitudeRef=N",
        "-GPSLongitude=11.5",
        "-GPSLongitudeRef=E",
        "-SerialNumber=BODY-SERIAL-PRIVATE",
        "-LensSerialNumber=LENS-SERIAL-PRIVATE",
        "-OwnerName=OWNER-PRIVATE",
        "-XMP-aux:SerialNumber=XMP-SERIAL-PRIVATE",
        "-Comment=COMMENT-PRIVATE",
        "-Make=Mavren",
        "-Model=Test Camera",
        "-Orientation#=6",
    };
};

TEST_F(PublishedPrivacyTest, ANewProgramPublishesNothingPrivate) {
    for (const bool webCopies : {true, false}) {
        SCOPED_TRACE(webCopies ? "with web copies" : "without web copies");
        fs::remove_all(source);
        fs::remove_all(target);
        fs::create_directories(source);
        AddPrivatePhotos();
        MakeNewProgram(webCopies);
        ASSERT_EQ(Generate(), kRunFinished);
        ExpectCleanTarget();
        ExpectPagesShowTheSite();
        // Without web copies the pictures are shown as they are, cleaned.
        EXPECT_EQ(fs::exists(target + "/Alpine Lake.jpg"), !webCopies);
        EXPECT_EQ(fs::exists(target + "/Web/Meadow.jpg"), webCopies);
        EXPECT_TRUE(fs::exists(target + "/Bubbles.gif"));
        EXPECT_EQ(summary.originalsWithPlace, 0);
        // A turned photo keeps its turn.
        if (!webCopies) {
            EXPECT_EQ(ExifTool({"-s3", "-n", "-Orientation", source + "/Alpine Lake.jpg"}),
                      ExifTool({"-s3", "-n", "-Orientation", target + "/Alpine Lake.jpg"}));
        }
    }
}

TEST_F(PublishedPrivacyTest, OriginalsWithoutPlaceAreTheSourceApartFromIt) {
    AddPrivateJpeg("Alpine Lake.jpg", "Alpine Lake.jpg", kPlaceAndIdentity);
    MakeNewProgram(true);
    program.SetInt(K::PhotoPublishOriginals, 1);
    program.SetInt(K::PhotoOriginalsWithoutPlace, 1);
    AddExamplePhoto("Pebbles.png");
    ExifTool({"-q", "-overwrite_original", "-GPSLatitude=48.1", "-GPSLatitudeRef=N",
              "-SerialNumber=PNG-SERIAL-PRIVATE", source + "/Pebbles.png"});
    ASSERT_EQ(Generate(), kRunFinished);
    const std::string png = Tags(target + "/Pebbles.png");
    EXPECT_EQ(png.find("GPS"), std::string::npos) << png;
    EXPECT_EQ(png.find("Serial"), std::string::npos) << png;
    const std::string original = source + "/Alpine Lake.jpg";
    const std::string published = target + "/Alpine Lake.jpg";
    const std::string tags = Tags(published);
    for (const char* word : {"GPS", "Serial", "Owner"}) {
        EXPECT_EQ(tags.find(word), std::string::npos) << word << "\n" << tags;
    }
    // An XMP packet left empty goes whole, and with it the name of the tool that wrote it.
    EXPECT_EQ(tags, LinesWithout(Tags(original), {"GPS", "Serial", "Owner", "XMPToolkit"}));
    EXPECT_EQ(FromFirstScan(ReadFileBytes(published)), FromFirstScan(ReadFileBytes(original)));
    EXPECT_EQ(summary.originalsWithPlace, 0);

    // Kept while the source is unchanged, though it differs from it in size.
    struct stat before;
    ASSERT_EQ(::stat(published.c_str(), &before), 0);
    EXPECT_EQ(before.st_mtim.tv_sec, 1700000000);
    ASSERT_EQ(Generate(), kRunFinished);
    struct stat after;
    ASSERT_EQ(::stat(published.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    // Published as taken the next time: the copy is replaced, and the run says so.
    program.SetInt(K::PhotoOriginalsWithoutPlace, 0);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(ReadFileBytes(published), ReadFileBytes(original));
    EXPECT_EQ(summary.originalsWithPlace, 2);
    EXPECT_NE(SummaryLine(summary).find(". 2 published originals show where they were taken"),
              std::string::npos)
        << SummaryLine(summary);
}

TEST_F(PublishedPrivacyTest, RunsCountTheOriginalsThatShowWhereTheyWereTaken) {
    AddPrivateJpeg("Alpine Lake.jpg", "Alpine Lake.jpg", kPlaceAndIdentity);
    AddPrivateJpeg("Fjord.jpg", "Fjord.jpg", kPlaceAndIdentity);
    AddExamplePhoto("Meadow.jpg");
    ASSERT_EQ(Generate(), kRunFinished);  // a program from before: originals as taken
    EXPECT_EQ(summary.originalsWithPlace, 2);

    const struct {
        int count;
        std::string line;
    } lines[] = {
        {0, ""},
        {1, "1 published original shows where it was taken"},
        {12, "12 published originals show where they were taken"},
    };
    for (const auto& c : lines) {
        EXPECT_EQ(OriginalsWithPlaceLine(c.count), c.line);
    }
}

TEST_F(PublishedPrivacyTest, TheSourceFolderAsTargetKeepsTheUsersPhotosAsTheyAre) {
    AddPrivateJpeg("Alpine Lake.jpg", "Alpine Lake.jpg", kPlaceAndIdentity);
    const std::string before = ReadFileBytes(source + "/Alpine Lake.jpg");
    program.SetString(K::TargetDir, source);
    program.SetInt(K::PhotoOriginalsWithoutPlace, 1);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_EQ(ReadFileBytes(source + "/Alpine Lake.jpg"), before);
    const std::vector<std::string> statuses = window->StatusTexts();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(),
                         "The originals keep their place and serial numbers: the target folder is "
                         "the source folder."),
              1);
    EXPECT_EQ(summary.originalsWithPlace, 1);
}

}  // namespace
