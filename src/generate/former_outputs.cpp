#include "generate/former_outputs.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "generate/output_removal.h"
#include "generate/product.h"
#include "platform/app_folders.h"
#include "platform/ascii.h"
#include "platform/file_descriptor.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "platform/trash.h"

namespace {

// The names the trash line spells out before "and N more".
constexpr std::size_t kNamedInLine = 5;

// A relative path that stays inside its folder: earlier versions recorded a withheld
// original by its way out to the source ("../photos/a.jpg"), which is never ours to touch.
bool StaysInside(const std::string& relative) {
    if (relative.empty() || relative.starts_with('/')) {
        return false;
    }
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string part = relative.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool SameBytes(const std::string& a, const std::string& b) {
    const UniqueFd first(::open(a.c_str(), O_RDONLY | O_CLOEXEC));
    const UniqueFd second(::open(b.c_str(), O_RDONLY | O_CLOEXEC));
    if (!first.valid() || !second.valid()) {
        return false;
    }
    std::string one(1 << 16, '\0');
    std::string two(1 << 16, '\0');
    for (;;) {
        const Expected<std::size_t> got = ReadAll(first.get(), one.data(), one.size());
        if (!got.ok()) {
            return false;
        }
        const Expected<std::size_t> other = ReadAll(second.get(), two.data(), two.size());
        if (!other.ok() || *other != *got) {
            return false;
        }
        if (*got == 0) {
            return true;
        }
        if (one.compare(0, *got, two, 0, *got) != 0) {
            return false;
        }
    }
}

// True when the folder holds the placeholder an index entry of a GIF shows, as the run
// copies it there: with the size and time of the one installed.
bool IsPlaceholderCopy(const std::string& folder) {
    struct stat copy;
    struct stat original;
    return ::lstat(JoinPath(folder, kGifPlaceholderName).c_str(), &copy) == 0 &&
           S_ISREG(copy.st_mode) &&
           ::stat(JoinPath(ExecutableFolder(), kGifPlaceholderName).c_str(), &original) == 0 &&
           copy.st_size == original.st_size && copy.st_mtim.tv_sec == original.st_mtim.tv_sec;
}

}  // namespace

std::vector<AlbumOutputFile> WrittenOutputs(const Program& program,
                                            std::vector<std::string> outputs) {
    const std::string folder = program.GetText(ProgramKey::TargetDir);
    if (program.GetBool(ProgramKey::MiscIncludeMavrenLink)) {
        outputs.emplace_back(kCreditBadgeName);
    }
    if (IsPlaceholderCopy(folder)) {
        outputs.emplace_back(kGifPlaceholderName);
    }
    std::vector<AlbumOutputFile> written;
    for (const std::string& output : outputs) {
        AlbumOutputFile file = OutputFileNow(folder, output);
        if (file.size >= 0) {
            written.push_back(std::move(file));
        }
    }
    return written;
}

void KeepEarlierOutputs(std::vector<AlbumOutputFile>& now,
                        const std::vector<AlbumOutputFile>& before) {
    std::set<std::string> listed;
    for (const AlbumOutputFile& file : now) {
        listed.insert(file.path);
    }
    for (const AlbumOutputFile& file : before) {
        if (!listed.contains(file.path)) {
            now.push_back(file);
        }
    }
}

bool AsWritten(const std::string& folder, const AlbumOutputFile& file) {
    struct stat status;
    return file.size >= 0 && ::lstat(JoinPath(folder, file.path).c_str(), &status) == 0 &&
           S_ISREG(status.st_mode) && status.st_size == file.size &&
           static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec ==
               file.modified;
}

bool IsFolderBelow(const std::string& folder, const std::string& relative) {
    if (!relative.empty() && !StaysInside(relative)) {
        return false;
    }
    std::string path = folder;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        path = JoinPath(path, relative.substr(start, end - start));
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsOriginalCopy(const std::string& name) {
    const std::string extension = PathExtension(name);
    return name.find('/') == std::string::npos && !IsPageName(name) && extension != "HTM" &&
           extension != "HTML" && name != kCreditBadgeName && name != kGifPlaceholderName;
}

FormerOutputs::FormerOutputs(std::vector<std::string> sources,
                             const std::shared_ptr<WorkerMessageReceiver>& window)
    : sources(std::move(sources)), window(window) {}

void FormerOutputs::KnowSources() {
    if (sourcesKnown) {
        return;
    }
    for (const std::string& source : sources) {
        struct stat status;
        if (::stat(source.c_str(), &status) == 0) {
            bySizeAndTime.insert({{status.st_size, status.st_mtim.tv_sec}, source});
            sourceIds.insert({status.st_dev, status.st_ino});
        }
    }
    sourcesKnown = true;
}

bool FormerOutputs::IsSource(const std::string& path) {
    KnowSources();
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && sourceIds.contains({status.st_dev, status.st_ino});
}

bool FormerOutputs::InSources(const std::string& path) {
    KnowSources();
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    const auto [from, to] = bySizeAndTime.equal_range({status.st_size, status.st_mtim.tv_sec});
    return std::any_of(from, to,
                       [&path](const auto& entry) { return SameBytes(path, entry.second); });
}

void FormerOutputs::Discard(const std::string& folder, const std::string& shownAs,
                            const std::string& name) {
    const std::string path = JoinPath(folder, name);
    if (IsSource(path)) {
        return;  // the target became the source folder: the copy is a source now
    }
    if (!IsOriginalCopy(name) || InSources(path)) {
        Remover remover(folder, window, shownAs);
        remover.Remove(name);
        removed += remover.removed;
        return;
    }
    const std::string shown = JoinPath(shownAs, name);
    if (const Result moved = MoveToTrash(path); !moved.ok()) {
        PostStatusText(window, "Could not move \"" + shown +
                                   "\" to the trash, so it stays: " + moved.reason());
        return;
    }
    ++removed;
    trashed.push_back(shown);
}

void FormerOutputs::DiscardDropped(const std::string& folder, const std::string& shownAs,
                                   const std::vector<AlbumOutputFile>& before,
                                   const std::vector<AlbumOutputFile>& now) {
    std::set<std::string> kept;
    for (const AlbumOutputFile& file : now) {
        kept.insert(file.path);
    }
    for (const AlbumOutputFile& file : before) {
        if (kept.contains(file.path) || !StaysInside(file.path) ||
            !IsFolderBelow(folder, PathFolder(file.path))) {
            continue;
        }
        struct stat status;
        if (::lstat(JoinPath(folder, file.path).c_str(), &status) != 0) {
            continue;  // gone already
        }
        if (AsWritten(folder, file)) {
            Discard(folder, shownAs, file.path);
        } else {
            PostStatusText(window, "Kept \"" + JoinPath(shownAs, file.path) +
                                       "\": it has changed since Mavren wrote it");
        }
    }
}

void FormerOutputs::Report(GenerationSummary& summary) const {
    summary.filesRemoved += removed;
    summary.photosTrashed += static_cast<int>(trashed.size());
    if (!trashed.empty()) {
        PostStatusText(window, TrashedLine(trashed));
    }
}

std::string TrashedLine(const std::vector<std::string>& names) {
    std::string line =
        StringPrintf("Moved %zu %s no longer in the source to the trash: ", names.size(),
                     names.size() == 1 ? "photo" : "photos");
    for (std::size_t i = 0; i < names.size() && i < kNamedInLine; ++i) {
        line += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kNamedInLine) {
        line += StringPrintf(" and %zu more", names.size() - kNamedInLine);
    }
    return line;
}
