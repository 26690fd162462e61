// Albums on a target whose file system ignores letter case, as vfat, exFAT and SMB shares
// do: a real one, mounted through FUSE by tests/generate/case_insensitive_fs.py.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "album_fixture.h"
#include "platform/name_case.h"

namespace fs = std::filesystem;

namespace {

// root mounted again at mountPoint, names compared ignoring case, while the object lives.
class CaseInsensitiveMount {
  public:
    CaseInsensitiveMount(const std::string& root, const std::string& mountPoint)
        : mountPoint(mountPoint) {
        fs::create_directories(root);
        fs::create_directories(mountPoint);
        std::string script = MAVREN_SOURCE_DIR "/tests/generate/case_insensitive_fs.py";
        std::string python = "/usr/bin/python3";
        std::string rootArgument = root;
        std::string mountArgument = mountPoint;
        char* argv[] = {python.data(), script.data(), rootArgument.data(), mountArgument.data(),
                        nullptr};
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) {
            said = "no pipe";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_adddup2(&actions, output[1], 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        // Until it says it is mounted, or has ended and said why not.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        pollfd ready{output[0], POLLIN, 0};
        while (pid > 0 && said != "mounted\n" && std::chrono::steady_clock::now() < deadline) {
            char c = 0;
            if (::poll(&ready, 1, 1000) == 1 && ::read(output[0], &c, 1) != 1) {
                break;
            }
            said += c == 0 ? "" : std::string(1, c);
        }
        ::close(output[0]);
    }

    ~CaseInsensitiveMount() {
        ::umount2(mountPoint.c_str(), MNT_DETACH);
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    bool Mounted() const { return said == "mounted\n"; }
    std::string said;  // what the script printed

  private:
    std::string mountPoint;
    pid_t pid = -1;
};

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
    const CaseInsensitiveMount mount(dir / "disk", dir / "mount");
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
