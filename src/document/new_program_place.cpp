#include "document/new_program_place.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLastSiteNumber = 999;

// "/home/ann/Trip/" as "/home/ann/Trip"; a relative folder from the current one.
std::string Plain(const std::string& folder) {
    std::error_code error;
    std::string path = fs::absolute(folder, error).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A name nothing else uses yet: missing, or an empty folder (not a link to one).
bool IsFree(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return true;
    }
    return fs::is_directory(status) && fs::is_empty(path, error) && !error;
}

}  // namespace

bool IsWholeTreeFolder(const std::string& folder) {
    return Plain(folder) == "/" || SameFolder(folder, HomeFolder());
}

std::string NewProgramFolder(const std::string& folder) {
    if (folder.empty()) {
        return {};
    }
    const std::string source = Plain(folder);
    if (IsWholeTreeFolder(source)) {
        return HomeFolder();
    }
    const std::string parent = PathFolder(source);
    return parent.empty() ? std::string("/") : parent;
}

std::string DefaultSiteFolder(const std::string& folder) {
    if (folder.empty()) {
        return {};
    }
    const std::string source = Plain(folder);
    const std::string name = source == "/" ? std::string("Site") : PathFileName(source) + " site";
    const std::string place = NewProgramFolder(source);
    for (int number = 1; number <= kLastSiteNumber; ++number) {
        const std::string path =
            JoinPath(place, number == 1 ? name : name + " " + std::to_string(number));
        if (IsFree(path)) {
            return path;
        }
    }
    return {};
}
