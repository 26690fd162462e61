#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/mutex.h"
#include "platform/registry.h"
#include "platform/xdg_folders.h"

namespace {

constexpr mode_t kFileMode = 0600;  // it holds FTP passwords
constexpr mode_t kFolderMode = 0700;

// A failure to make, lock or write the store, worded as the system's description of error.
Result Failure(const char* what, const std::string& path, int error) {
    return Result::FromErrno(what, path, error).WithText(ErrorCodeText(error));
}

// The damage the user was last told about, so that each write that fails on it does not
// say so again.
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
Result ReadStoreFile(RegistryKey& root, std::string& text) {
    root = RegistryKey();
    const std::string path = RegistryStorePath();
    struct stat status;
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        return Result::Ok();
    }
    if (const Result read = ReadWholeFile(path, text); !read.ok()) {
        std::string reason = read.text();
        if (reason.ends_with('\n')) {
            reason.pop_back();
        }
        return Result::Failure(std::move(reason), Result::Kind::DamagedInput);
    }
    if (Result parsed = ParseRegistryText(text, root); !parsed.ok()) {
        root = RegistryKey();
        const std::string error = parsed.text();
        return std::move(parsed).WithText("'" + path + "' cannot be read, " + error);
    }
    return Result::Ok();
}

}  // namespace

std::string RegistryStoreFolder() {
    return XdgConfigHome() + "/Orvashi/Mavren 1.0";
}

std::string RegistryStorePath() {
    return RegistryStoreFolder() + "/settings.ini";
}

Result ReadRegistryStore(RegistryKey& root) {
    std::string text;
    return ReadStoreFile(root, text);
}

Result ChangeRegistryStore(const std::function<Result(RegistryKey& root)>& change) {
    // flock also excludes other threads, as each lock opens the folder anew; the mutex
    // only spares them the queue in the kernel.
    static Mutex threads;
    const MutexLock threadLock(threads);

    const std::string folder = RegistryStoreFolder();
    if (Result made = CreateFolderPath(folder, kFolderMode); !made.ok()) {
        const int error = made.error();
        return std::move(made).WithText(ErrorCodeText(error));
    }
    const FolderLock lock(folder);
    if (!lock.result().ok()) {
        return Result(lock.result()).WithText(ErrorCodeText(lock.result().error()));
    }
    RegistryKey root;
    std::string before;
    if (Result read = ReadStoreFile(root, before); !read.ok()) {
        return read;  // never replace a file we could not understand
    }
    CreateApplicationKey(root);
    const std::string path = RegistryStorePath();
    if (const Result changed = change(root); !changed.ok()) {
        return Failure("change", path, changed.error());
    }
    const std::string after = FormatRegistryText(root);
    struct stat status;
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && (status.st_mode & 07777) != kFileMode && ::chmod(path.c_str(), kFileMode) != 0) {
        return Failure("chmod", path, errno);
    }
    if (exists && after == before) {
        return Result::Ok();  // nothing changed
    }
    if (!exists) {
        // Created empty with its final mode first; the replacement keeps the mode.
        const UniqueFd created(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode));
        if (!created.valid()) {
            return Failure("open", path, errno);
        }
    }
    if (Result written = ReplaceFileContents(path, after, true); !written.ok()) {
        const int error = written.error();
        return std::move(written).WithText(ErrorCodeText(error));
    }
    return Result::Ok();
}

Result CheckRegistryStore() {
    RegistryKey root;
    return ReadRegistryStore(root);
}

std::string RegistryStoreUnusableText(const Result& checked) {
    return "Mavren's settings cannot be used:\n\n" + checked.text() +
           "\n\nThe file is left as it is, and no settings are saved until it is mended or "
           "removed.";
}

std::string RegistryStoreChangeFailedText(const Result& changed) {
    return "Setting registry key failed.\n\n" + changed.text();
}

bool RegistryStoreFailureToTell(const Result& failure) {
    if (failure.ok()) {
        return false;
    }
    if (failure.kind() != Result::Kind::DamagedInput) {
        return true;
    }
    MutexLock lock(toldMutex);
    if (toldDamage == failure.text()) {
        return false;
    }
    toldDamage = failure.text();
    return true;
}
