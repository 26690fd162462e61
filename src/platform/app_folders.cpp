#include "platform/app_folders.h"

#include <unistd.h>

#include <climits>

#include "platform/mutex.h"

namespace {

Mutex g_mutex;
std::string g_executableFolder GUARDED_BY(g_mutex);
std::string g_helpFolder GUARDED_BY(g_mutex);

}  // namespace

void SetExecutableFolder(const std::string& folder) {
    MutexLock lock(g_mutex);
    if (folder.empty()) {
        g_executableFolder.clear();
        g_helpFolder.clear();
        return;
    }
    g_executableFolder = folder.back() == '/' ? folder : folder + "/";
    g_helpFolder = g_executableFolder + "Help/";
}

void SetFoldersFromExecutable() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return;
    }
    const std::string executable(path, static_cast<std::size_t>(length));
    const std::size_t slash = executable.rfind('/');
    if (slash == std::string::npos) {
        return;
    }
    SetExecutableFolder(executable.substr(0, slash + 1));
}

std::string ExecutableFolder() {
    MutexLock lock(g_mutex);
    return g_executableFolder;
}

std::string HelpFolder() {
    MutexLock lock(g_mutex);
    return g_helpFolder;
}
