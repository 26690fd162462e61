#include "generate/stale_output.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <set>

#include "generate/html_files.h"
#include "generate/output_removal.h"
#include "generate/product.h"
#include "media/picture_set.h"
#include "platform/paths.h"
#include "platform/source_scan.h"
#include "work/worker_messages.h"

namespace {

// The files of folder (relative to target); none after a status line when its listing
// broke off.
std::vector<std::string> FileNames(const std::string& target, const std::string& folder,
                                   const std::shared_ptr<WorkerMessageReceiver>& window) {
    return ListedWhole(EntryNames(JoinPath(target, folder), false), folder, window);
}

bool IsLink(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// The picture a WebP or AVIF copy stands beside ("a.jpg" for "a.jpg.webp"), else name.
std::string SiblingBase(const std::string& name) {
    const bool sibling = name.size() > 5 && (name.ends_with(".webp") || name.ends_with(".avif"));
    return sibling ? name.substr(0, name.size() - 5) : name;
}

// Removes the pictures in folder (relative to the target) whose names are not in names,
// and only those beside a thumbnail of theirs: "Thumbs" held prefix + the picture's name
// before anything was removed, the mark of a former source ("Web" is an everyday folder
// name, and a picture of the user's own there, or in "Thumbs/2x", has none). Only JPEG and
// PNG files and their WebP and AVIF copies count: those are all the run writes there. A
// linked folder is left alone, as a linked "Thumbs" is.
void RemoveStalePictures(const std::string& target, const char* folder,
                         const std::set<std::string>& names,
                         const std::set<std::string>& thumbnails, const char* prefix,
                         Remover& remover, const std::shared_ptr<WorkerMessageReceiver>& window) {
    const std::string path = JoinPath(target, folder);
    if (IsLink(path)) {
        PostStatusText(window, std::string("Not removing stale pictures: \"") + folder +
                                   "\" is a link to another folder");
        return;
    }
    for (const std::string& name : FileNames(target, folder, window)) {
        const std::string base = SiblingBase(name);
        const std::string extension = PathExtension(base);
        const bool picture =
            extension == "JPG" || extension == "JPEG" || extension == "JPE" || extension == "PNG";
        if (picture && names.count(name) == 0 && thumbnails.contains(prefix + base)) {
            remover.Remove(JoinPath(folder, name));
        }
    }
}

// With originals withheld, the copies an earlier run made of the sources go: a file of
// the source's name, size and modification time, that is not the source itself.
void RemoveWithheldOriginals(const std::string& target, const std::vector<SourceRecord>& records,
                             Remover& remover) {
    for (const SourceRecord& record : records) {
        if (record.originalPublished) {
            continue;
        }
        const std::string name = PathFileName(record.source);
        struct stat source;
        struct stat copy;
        if (::stat(record.source.c_str(), &source) == 0 &&
            ::lstat(JoinPath(target, name).c_str(), &copy) == 0 && S_ISREG(copy.st_mode) &&
            (copy.st_dev != source.st_dev || copy.st_ino != source.st_ino) &&
            copy.st_size == source.st_size && copy.st_mtim.tv_sec == source.st_mtim.tv_sec) {
            remover.Remove(name);
        }
    }
}

// Adds to names the file names of picture's WebP and AVIF copies that the run made.
void AddSiblings(const std::string& picture, const PictureSiblings& siblings,
                 std::set<std::string>& names) {
    const std::string name = PathFileName(picture);
    if (!picture.empty() && siblings.webp) {
        names.insert(WebpSibling(name));
    }
    if (!picture.empty() && siblings.avif) {
        names.insert(AvifSibling(name));
    }
}

}  // namespace

bool IsLinkedThumbnailFolder(const std::string& target) {
    struct stat status;
    return ::lstat(JoinPath(target, kThumbnailFolder).c_str(), &status) == 0 &&
           S_ISLNK(status.st_mode);
}

int RemoveStaleOutput(const std::string& target, const std::vector<SourceRecord>& records,
                      const GenerationSummary& written,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    Remover remover(target, window);
    std::set<std::string> contentPages;
    for (const SourceRecord& record : records) {
        contentPages.insert(record.contentPage);
    }
    for (const std::string& name : FileNames(target, std::string(), window)) {
        const int index = PageNumber(name, "INDEX", 3);
        const int content = PageNumber(name, "GEN", 4);
        // Numbered content pages are all stale once the pages are named after their files.
        const bool stale =
            (index >= 0 && index >= written.indexPages) ||
            (content >= 0 && (content >= written.contentPages || !contentPages.contains(name)));
        if (stale && CarriesGeneratorMark(JoinPath(target, name))) {
            remover.Remove(name);
        }
    }

    // Any name a source's pictures may have had, in whichever mode they were made.
    std::set<std::string> thumbnailNames;
    std::set<std::string> copyNames;
    for (const SourceRecord& record : records) {
        if (!record.damage.empty()) {
            continue;  // nothing made of a damaged picture stays in the site
        }
        const std::string name = PathFileName(record.source);
        // A PNG's pictures are PNG or JPEG by the program and the picture: the other
        // kind is a former run's.
        const bool png = PathExtension(name) == "PNG";
        const bool nowJpeg = png && (PathExtension(record.thumbnail) == "JPG" ||
                                     PathExtension(record.webCopy) == "JPG");
        const bool nowPng = png && (PathFileName(record.thumbnail) == kThumbnailPrefix + name ||
                                    PathFileName(record.webCopy) == name);
        for (const std::string& kept : {name, name + ".jpg", name + ".png"}) {
            if ((nowJpeg && kept == name) || (nowPng && kept == name + ".jpg")) {
                continue;
            }
            thumbnailNames.insert(kThumbnailPrefix + kept);
            if (kept != name + ".png") {
                copyNames.insert(kept);
            }
        }
        if (PathExtension(name) == "GIF") {
            thumbnailNames.insert(kThumbnailPrefix + std::string(kGifPlaceholderName));
        }
        AddSiblings(record.thumbnail, record.thumbnailSiblings, thumbnailNames);
        AddSiblings(record.thumbnail2x, record.thumbnail2xSiblings, thumbnailNames);
        AddSiblings(record.webCopy, record.webSiblings, copyNames);
        AddSiblings(record.phoneCopy, record.phoneSiblings, copyNames);
    }
    // Taken before anything goes, so that the order of the removals decides nothing.
    const std::vector<std::string> thumbnailsThere = FileNames(target, kThumbnailFolder, window);
    const std::set<std::string> before(thumbnailsThere.begin(), thumbnailsThere.end());

    RemoveWithheldOriginals(target, records, remover);
    // "Web" is an everyday folder name: it counts as ours only while the site has web copies.
    if (std::any_of(records.begin(), records.end(),
                    [](const SourceRecord& record) { return !record.webCopy.empty(); })) {
        RemoveStalePictures(target, kWebFolder, copyNames, before, kThumbnailPrefix, remover,
                            window);
        RemoveStalePictures(target, kPhoneFolder, copyNames, before, kThumbnailPrefix, remover,
                            window);
    }
    if (IsLinkedThumbnailFolder(target)) {
        PostStatusText(window,
                       "Not removing stale thumbnails: \"Thumbs\" is a link to "
                       "another folder, which may hold files of your own");
        return remover.removed;
    }
    for (const std::string& name : thumbnailsThere) {
        if (name.rfind(kThumbnailPrefix, 0) == 0 && thumbnailNames.count(name) == 0) {
            remover.Remove(JoinPath(kThumbnailFolder, name));
        }
    }
    RemoveStalePictures(target, kDoubleThumbnailFolder, thumbnailNames, before, "", remover,
                        window);
    return remover.removed;
}

int CountOtherPictures(const std::string& target, const std::string& patterns,
                       const std::vector<SourceRecord>& records,
                       const std::vector<std::string>& keep) {
    const std::unique_ptr<FileList> found = ScanFiles(target, patterns, false);
    if (!found) {
        return 0;
    }
    std::set<std::string> known(keep.begin(), keep.end());
    for (const SourceRecord& record : records) {
        known.insert(PathFileName(record.source));
    }
    int others = 0;
    std::string previous;  // a file matching two patterns is listed twice, adjacently
    for (const std::string& path : *found) {
        const std::string name = PathFileName(path);
        if (name != previous && known.count(name) == 0) {
            ++others;
        }
        previous = name;
    }
    return others;
}
