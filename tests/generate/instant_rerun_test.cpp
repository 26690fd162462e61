// Reruns of an unchanged program: pages and pictures already there are left alone, and
// what the last run learned of the sources is believed only while they are unchanged.

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <regex>
#include <utility>

#include "generate/source_facts_record.h"
#include "site_fixture.h"
#include "support/fuse_mount.h"

namespace fs = std::filesystem;

namespace {

using K = ProgramKey;

// Every file of a folder and below: its bytes and modification time, by relative path.
std::map<std::string, std::pair<std::string, std::int64_t>> Snapshot(const std::string& folder) {
    std::map<std::string, std::pair<std::string, std::int64_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat status;
        if (entry.is_regular_file() && ::stat(entry.path().c_str(), &status) == 0) {
            files[fs::relative(entry.path(), folder).string()] = {
                ReadFileBytes(entry.path()),
                status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
        }
    }
    return files;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

class InstantRerunTest : public SiteTest {
  protected:
    InstantRerunTest() {
        for (const char* photo : {"Alpine Lake.jpg", "Fjord.jpg", "Meadow.jpg", "Pebbles.png"}) {
            AddExamplePhoto(photo);
        }
        // Every kind of fact a run reads of a photo: its size, camera data, place, pictures.
        program.SetInt(K::PhotoWebSize, 320);
        program.SetInt(K::PhotoCameraCaptions, true);
        program.SetInt(K::PhotoOrder, static_cast<int>(PhotoOrder::OldestFirst));
    }
};

TEST_F(InstantRerunTest, WarmRerunReadsNoPictureAndWritesOnlyPagesThatDiffer) {
    const std::string disk = dir / "disk";
    const FuseMount mount(MAVREN_SOURCE_DIR "/tests/generate/sealed_files_fs.py", disk,
                          dir / "mount");
    if (!mount.Mounted()) {
        GTEST_SKIP() << "No FUSE mount to test on (/dev/fuse, root, python3-fusepy): "
                     << mount.said;
    }
    fs::rename(source, disk + "/source");  // the photos keep their times
    program.SetString(K::SourceDir, dir / "mount/source");
    // Pages merged into a boilerplate, as a theme's are, and pages without.
    const std::string boilerplate = dir / "theme.htm";
    WriteFileBytes(boilerplate,
                   "<HTML><HEAD><TITLE><MAVREN-TITLE></TITLE></HEAD>\n"
                   "<BODY><MAVREN-BOILERPLATE></BODY></HTML>\n");
    for (const std::string& theme : {std::string(), boilerplate}) {
        SCOPED_TRACE(theme);
        fs::remove(disk + "/source/.sealed");
        fs::remove_all(target);
        program.SetString(K::IndexBoilerplate, theme);
        program.SetString(K::ContentBoilerplate, theme);
        ASSERT_EQ(Generate(), kRunFinished);
        const int pages = summary.indexPages + summary.contentPages;
        ASSERT_GT(pages, 4);
        const auto cold = Snapshot(target);
        WriteFileBytes(disk + "/source/.sealed", "");

        const struct {
            const char* what;
            const char* page;  // changed in the target before the run; null: none
            int written;
        } cases[] = {
            {"nothing changed", nullptr, 0},
            {"one page edited", "INDEX000.HTM", 1},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            if (c.page != nullptr) {
                WriteFileBytes(target + "/" + c.page, cold.at(c.page).first + "edited");
            }
            ASSERT_EQ(Generate(), kRunFinished);
            EXPECT_EQ(summary.indexPages + summary.contentPages - summary.pagesUnchanged,
                      c.written);
            EXPECT_EQ(summary.pagesUnchanged, pages - c.written);
            EXPECT_EQ(summary.withoutThumbnail, 0);
            const auto warm = Snapshot(target);
            ASSERT_EQ(warm.size(), cold.size());
            for (const auto& [path, file] : cold) {
                const bool edited = c.page != nullptr && path == c.page;
                EXPECT_TRUE(warm.at(path).first == file.first) << path;
                EXPECT_EQ(warm.at(path).second == file.second, !edited) << path;
            }
        }
    }
}

TEST_F(InstantRerunTest, ChangedSourceIsReadAgain) {
    ASSERT_EQ(Generate(), kRunFinished);
    // Fjord's bytes become Meadow's, an upright photo; its time stays as it was.
    fs::copy_file(MAVREN_SOURCE_DIR "/examples/photos/Meadow.jpg", source + "/Fjord.jpg",
                  fs::copy_options::overwrite_existing);
    SetModificationTime(source + "/Fjord.jpg", 1700000000);
    ASSERT_EQ(Generate(), kRunFinished);
    EXPECT_TRUE(ReadFileBytes(target + "/Web/Fjord.jpg") ==
                ReadFileBytes(target + "/Web/Meadow.jpg"));
    EXPECT_TRUE(ReadFileBytes(target + "/Thumbs/TN_Fjord.jpg") ==
                ReadFileBytes(target + "/Thumbs/TN_Meadow.jpg"));
}

TEST_F(InstantRerunTest, DamagedRecordIsNoRecord) {
    ASSERT_EQ(Generate(), kRunFinished);
    const auto cold = Snapshot(target);
    const std::string path = SourceFactsRecord::PathOf(target);
    const std::string record = ReadFileBytes(path);
    // Each record says every thumbnail is 7 x 7 pixels; only a sound one is believed, and
    // then the index page says so.
    const std::string wrong =
        std::regex_replace(record, std::regex("\npicture 0 [0-9]+ [0-9]+ "), "\npicture 0 7 7 ");
    ASSERT_NE(wrong, record);
    const struct {
        const char* what;
        std::string text;
        bool believed;
    } cases[] = {
        {"sound", wrong, true},
        {"a line that cannot be read", wrong + "size 1\n", false},
        {"an unknown word", wrong + "sighs 1 2\n", false},
        {"a later version", Replaced(wrong, "record 1\n", "record 9\n"), false},
        {"another target", Replaced(wrong, "\ntarget /", "\ntarget /elsewhere/"), false},
        {"cut short", wrong.substr(0, wrong.find("\npicture ") + 10), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(path, c.text);
        ::chmod(path.c_str(), 0600);
        ASSERT_EQ(Generate(), kRunFinished);
        const bool same = Page("INDEX000.HTM") == cold.at("INDEX000.HTM").first;
        EXPECT_EQ(same, !c.believed);
    }
}

}  // namespace
