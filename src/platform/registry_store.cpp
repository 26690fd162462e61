#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/message_box.h"
#include "platform/mutex.h"
#include "platform/registry.h"
#include "platform/xdg_folders.h"

namespace {

constexpr mode_t kFileMode = 0600;  // it holds FTP passwords
constexpr mode_t kFolderMode = 0700;

RegistryStoreChange Failure(std::string reason) {
    return {false, std::move(reason)};
}

// The damage CheckRegistryStore last told the user about, so that each write that fails
// on it does not say so again.
Mutex toldMutex;
std::string toldDamage GUARDED_BY(toldMutex);

void CreateApplicationKey(RegistryKey& root) {
    std::vector<std::string> names;
    SplitRegistryPath(kApplicationKey, names);
    RegistryKey* key = &root;
    for (const std::string& name : names) {
        key = &key->AddSubkey(name);
    }
}

// ReadRegistryStore, also handing out the file's text.
bool ReadStoreFile(RegistryKey& root, std::string& reason, std::string& text) {
    root = RegistryKey();
    const std::string path = RegistryStorePath();
    struct stat status;
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        return true;
    }
    reason = ReadWholeFile(path, text).text();
    if (!reason.empty()) {
        if (reason.back() == '\n') {
            reason.pop_back();
        }
        return false;
    }
    if (!ParseRegistryText(text, root, reason)) {
        reason = "'" + path + "' cannot be read, " + reason;
        root = RegistryKey();
        return false;
    }
    return true;
}

}  // namespace

std::string RegistryStoreFolder() {
    return XdgConfigHome() + "/Orvashi/Mavren 1.0";
}

std::string RegistryStorePath() {
    return RegistryStoreFolder() + "/settings.ini";
}

bool ReadRegistryStore(RegistryKey& root, std::string& reason) {
    std::string text;
    return ReadStoreFile(root, reason, text);
}

RegistryStoreChange ChangeRegistryStore(const std::function<int(RegistryKey& root)>& change) {
    // flock also excludes other threads, as each lock opens the folder anew; the mutex
    // only spares them the queue in the kernel.
    static std::mutex threads;
    std::lock_guard threadLock(threads);

    const std::string folder = RegistryStoreFolder();
    if (const int error = CreateFolderPath(folder, kFolderMode)) {
        return Failure(ErrorCodeText(error));
    }
    const FolderLock lock(folder);
    if (lock.error() != 0) {
        return Failure(ErrorCodeText(lock.error()));
    }
    RegistryKey root;
    std::string reason;
    std::string before;
    if (!ReadStoreFile(root, reason, before)) {
        return {false, reason, true};  // never replace a file we could not understand
    }
    CreateApplicationKey(root);
    if (const int error = change(root)) {
        return Failure(ErrorCodeText(error));
    }
    const std::string after = FormatRegistryText(root);
    const std::string path = RegistryStorePath();
    struct stat status;
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && (status.st_mode & 07777) != kFileMode && ::chmod(path.c_str(), kFileMode) != 0) {
        return Failure(ErrorCodeText(errno));
    }
    if (exists && after == before) {
        return {};  // nothing changed
    }
    if (!exists) {
        // Created empty with its final mode first; the replacement keeps the mode.
        const UniqueFd created(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode));
        if (!created.valid()) {
            return Failure(ErrorCodeText(errno));
        }
    }
    const Result written = ReplaceFileContents(path, after, true);
    if (!written.ok()) {
        return Failure(ErrorCodeText(written.error()));
    }
    return {};
}

bool CheckRegistryStore() {
    RegistryKey root;
    std::string reason;
    if (ReadRegistryStore(root, reason)) {
        return true;
    }
    {
        MutexLock lock(toldMutex);
        if (toldDamage == reason) {
            return false;
        }
        toldDamage = reason;
    }
    ShowMessageBox("Mavren's settings cannot be used:\n\n" + reason +
                       "\n\nThe file is left as it is, and no settings are saved until it is "
                       "mended or removed.",
                   MB_OK | MB_ICONSTOP);
    return false;
}

void ShowRegistryStoreFailure(const RegistryStoreChange& change) {
    if (change.ok) {
        return;
    }
    if (change.damaged) {
        // A file damaged while the program runs is said once too, not at every write.
        MutexLock lock(toldMutex);
        if (toldDamage == change.reason) {
            return;
        }
        toldDamage = change.reason;
    }
    ShowMessageBox("Setting registry key failed.\n\n" + change.reason, MB_OK);
}
