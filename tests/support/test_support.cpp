#include "support/test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/temporary_files.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "mavren-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder";
    }
    root = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Folders a test made unreadable must be opened up again before removal.
    for (auto it = fs::recursive_directory_iterator(
             root, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
    return root + "/" + name;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) {
        fs::create_directories(parent);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(file.is_open()) << "cannot write " << path;
    file << bytes;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << "cannot read " << path;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void SetModificationTime(const std::string& path, long long seconds) {
    const struct timespec times[2] = {{static_cast<time_t>(seconds), 0},
                                      {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long long bytes) {
    struct rlimit limit;
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    previous = limit.rlim_cur;
    previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
    struct rlimit limit;
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previous;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, previousHandler);
}

std::string LeftoverName(int number) {
    // Process numbers stop far below this (pid_max is at most 2^22).
    return std::string(kTemporaryFilePrefix) + "2147483647-" + std::to_string(number);
}

ScopedScriptedBoxes::ScopedScriptedBoxes()
    : boxes(std::make_shared<ScriptedMessageBox>()), previous(SetMessageBoxBackend(boxes)) {}

ScopedScriptedBoxes::~ScopedScriptedBoxes() {
    SetMessageBoxBackend(previous);
}
