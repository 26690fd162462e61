// A folder whose listing breaks off part way is never taken for the whole folder: what is
// missing from it is not gone, so a run removes nothing on its strength. The listings are
// broken by a real file system, tests/support/breaking_listing_fs.py mounted through FUSE.

#include <algorithm>
#include <filesystem>
#include <set>

#include "album_fixture.h"
#include "generate/former_outputs.h"
#include "platform/paths.h"
#include "support/fuse_mount.h"

namespace fs = std::filesystem;

namespace {

constexpr char kMarker[] = "/.listing-breaks";

// Every file below folder, by relative path.
std::set<std::string> AllFiles(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), folder).string());
        }
    }
    return files;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(AlbumTest, ASourceListingThatBreaksOffRemovesNothingFromTheTarget) {
    const FuseMount mount(MAVREN_SOURCE_DIR "/tests/support/breaking_listing_fs.py", source,
                          dir / "mount");
    if (!mount.Mounted()) {
        GTEST_SKIP() << "No FUSE mount to test on (/dev/fuse, root, python3-fusepy): "
                     << mount.said;
    }
    // Enough photos at the top that the part of its listing read still holds some.
    for (int i = 0; i < 8; ++i) {
        Add("Alpine Lake.jpg", "Lake " + std::to_string(i) + ".jpg");
    }
    program.SetString(ProgramKey::SourceDir, dir / "mount");
    const struct {
        const char* what;
        bool albums;
        std::vector<std::string> broken;  // folders of the source whose listing breaks
    } cases[] = {
        {"albums, the top broken", true, {""}},
        {"albums, an album broken", true, {"Trip to Rome"}},
        {"a site without albums", false, {""}},
    };
    for (const auto& row : cases) {
        fs::remove_all(target);
        fs::remove(AlbumRecordPath(target));
        program.SetInt(ProgramKey::IncludeSubfolders, row.albums ? 1 : 0);
        ASSERT_EQ(Generate(), kRunFinished) << row.what;
        const std::set<std::string> before = AllFiles(target);
        for (const std::string& folder : row.broken) {
            WriteFileBytes(source + "/" + folder + kMarker, "");
        }
        window = std::make_shared<RecordingReceiver>();
        Generate();
        for (const std::string& folder : row.broken) {
            fs::remove(source + "/" + folder + kMarker);
        }
        const std::set<std::string> after = AllFiles(target);
        for (const std::string& file : before) {
            EXPECT_TRUE(after.contains(file)) << row.what << ": " << file;
        }
        EXPECT_TRUE(Has(window->StatusTexts(), kSourceNotWhole)) << row.what;
    }
}

TEST_F(SiteTest, ATargetListingThatBreaksOffRemovesNothingThere) {
    const FuseMount mount(MAVREN_SOURCE_DIR "/tests/support/breaking_listing_fs.py", dir / "disk",
                          dir / "mount");
    if (!mount.Mounted()) {
        GTEST_SKIP() << "No FUSE mount to test on (/dev/fuse, root, python3-fusepy): "
                     << mount.said;
    }
    for (const char* photo : {"Alpine Lake.jpg", "Fjord.jpg", "Meadow.jpg"}) {
        AddExamplePhoto(photo);
    }
    program.SetString(ProgramKey::TargetDir, dir / "mount/site");
    const std::string disk = dir / "disk/site";
    const struct {
        const char* folder;  // relative to the target
        const char* prefix;  // of the names of stale files made there, before a number
        const char* suffix;
        std::vector<std::string> lines;
    } cases[] = {
        {"Thumbs",
         "TN_gone",
         ".jpg",
         {"Not removing stale files from \"Thumbs\": its listing broke off (Input/output "
          "error)",
          "Stopped looking for leftover files in \"Thumbs/\": its listing broke off "
          "(Input/output error)"}},
        {"",
         "INDEX0",
         ".HTM",
         {"Not removing stale files from the target folder: its listing broke off "
          "(Input/output error)",
          "Stopped looking for leftover files in the target folder: its listing broke off "
          "(Input/output error)"}},
    };
    for (const auto& row : cases) {
        ASSERT_EQ(Generate(), kRunFinished) << row.folder;
        // Pages past the last one, with the generator mark, and thumbnails of no source:
        // what a whole listing would have removed.
        std::vector<std::string> stale;
        for (int i = 50; i < 60; ++i) {
            stale.push_back(JoinPath(row.folder, row.prefix + std::to_string(i) + row.suffix));
            WriteFileBytes(disk + "/" + stale.back(), ReadFileBytes(disk + "/INDEX000.HTM"));
        }
        WriteFileBytes(disk + "/" + JoinPath(row.folder, kMarker + 1), "");
        window = std::make_shared<RecordingReceiver>();
        ASSERT_EQ(Generate(), kRunFinished) << row.folder;
        fs::remove(disk + "/" + JoinPath(row.folder, kMarker + 1));
        for (const std::string& file : stale) {
            EXPECT_TRUE(fs::exists(disk + "/" + file)) << file;
        }
        for (const std::string& line : row.lines) {
            EXPECT_TRUE(Has(window->StatusTexts(), line)) << line;
        }
    }
}

}  // namespace
