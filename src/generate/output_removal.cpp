#include "generate/output_removal.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/format.h"
#include "platform/paths.h"

Remover::Remover(const std::string& target, const std::shared_ptr<WorkerMessageReceiver>& window,
                 std::string shownAs)
    : target(target), window(window), shownAs(std::move(shownAs)) {}

void Remover::Remove(const std::string& name) {
    const std::string shown = JoinPath(shownAs, name);
    if (::unlink(JoinPath(target, name).c_str()) == 0) {
        ++removed;
        PostStatusText(window, "Removed stale \"" + shown + "\"");
    } else {
        PostStatusText(window,
                       "Could not remove stale \"" + shown + "\" (" + ErrorCodeText(errno) + ")");
    }
}

Expected<std::vector<std::string>> EntryNames(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    FolderListing listing(folder);
    for (FolderEntry entry; listing.Next(entry);) {
        const unsigned char type = listing.TypeOf(entry);
        if (type != DT_UNKNOWN && (type == DT_DIR) == folders) {
            names.push_back(std::move(entry.name));
        }
    }
    if (listing.IsOpen() && !listing.failure().ok()) {
        // Part of a folder is not the folder: what is missing from it would look gone.
        return listing.failure();
    }
    return names;
}

std::string ShownFolder(const std::string& relative) {
    return relative.empty() ? std::string("the target folder") : "\"" + relative + "\"";
}

std::vector<std::string> ListedWhole(Expected<std::vector<std::string>> list,
                                     const std::string& shown,
                                     const std::shared_ptr<WorkerMessageReceiver>& window) {
    if (list.ok()) {
        return std::move(*list);
    }
    PostStatusText(window, "Not removing stale files from " + ShownFolder(shown) +
                               ": its listing broke off (" + ErrorCodeText(list.failure().error()) +
                               ")");
    return {};
}

int PageNumber(const std::string& name, const char* prefix, int width) {
    const std::size_t prefixLength = std::strlen(prefix);
    if (name.size() <= prefixLength + 4 || name.size() > prefixLength + 4 + 9) {
        return -1;
    }
    const std::size_t digits = name.size() - prefixLength - 4;
    int number = 0;
    for (std::size_t i = prefixLength; i < prefixLength + digits; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return -1;
        }
        number = number * 10 + (name[i] - '0');
    }
    return StringPrintf("%s%0*d.HTM", prefix, width, number) == name ? number : -1;
}

bool IsPageName(const std::string& name) {
    return PageNumber(name, "INDEX", 3) >= 0 || PageNumber(name, "GEN", 4) >= 0 ||
           (name.find('/') == std::string::npos && PathExtension(name) == "HTML");
}
