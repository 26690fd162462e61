// Albums on a target whose file system ignores letter case, as vfat, exFAT and SMB shares
// do: a real one, mounted through FUSE by tests/generate/case_insensitive_fs.py.

#include <filesystem>
#include <map>

#include "album_fixture.h"
#include "platform/name_case.h"
#include "support/fuse_mount.h"

namespace fs = std::filesystem;

namespace {

// Every file below folder with its bytes, by relative path.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = ReadFileBytes(entry.path());
        }
    }
    return files;
}

TEST_F(AlbumTest, ACaseOnlyRenameOnACaseInsensitiveTargetRenamesTheAlbum) {
    const FuseMount mount(MAVREN_SOURCE_DIR "/tests/generate/case_insensitive_fs.py", dir / "disk",
                          dir / "mount");
    if (!mount.Mounted()) {
        GTEST_SKIP() << "No case-insensitive file system to test on: a FUSE mount needs "
                        "/dev/fuse, root and python3-fusepy (scripts/install-deps.sh); the "
                        "script said: "
                     << mount.said;
    }
    ASSERT_TRUE(IgnoresLetterCase(dir / "mount"));
    program.SetString(ProgramKey::TargetDir, dir / "mount/site");
    ASSERT_EQ(Generate(), kRunFinished);
    fs::rename(source + "/Trip to Rome", source + "/trip to rome");
    ASSERT_EQ(Generate(), kRunFinished);

    program.SetString(ProgramKey::TargetDir, dir / "fresh");
    ASSERT_EQ(Generate(), kRunFinished);
    // What the disk holds, names as written, is what a fresh run makes.
    const auto made = Files(dir / "disk/site");
    const auto fresh = Files(dir / "fresh");
    std::vector<std::string> madeNames;
    std::vector<std::string> freshNames;
    for (const auto& [name, bytes] : made) {
        madeNames.push_back(name);
        EXPECT_TRUE(fresh.contains(name) && fresh.at(name) == bytes) << name;
    }
    for (const auto& [name, bytes] : fresh) {
        freshNames.push_back(name);
    }
    EXPECT_EQ(madeNames, freshNames);
    EXPECT_TRUE(made.contains("trip to rome/Day 1/INDEX000.HTM"));
}

}  // namespace
