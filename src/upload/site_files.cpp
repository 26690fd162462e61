#include "upload/site_files.h"

#include <algorithm>
#include <array>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "upload/page_references.h"

namespace {

// The folders a run keeps what it makes in, beside its pages, and the pictures of its own.
constexpr std::array<std::string_view, 4> kOutputFolders = {"Thumbs", "Thumbs/2x", "Web",
                                                            "Web/Small"};
constexpr std::array<std::string_view, 2> kOwnPictures = {"GifPlaceHolder.gif",
                                                          "GeneratedWithMavren.gif"};

// Far more than any page or style sheet; a larger one is read this far.
constexpr std::size_t kLargestPage = 64 * 1024 * 1024;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// "http:", "mailto:", "data:": a letter, then letters, digits, "+", "-" or ".", then ":".
bool HasScheme(std::string_view address) {
    if (address.empty() || AsciiLower(address[0]) < 'a' || AsciiLower(address[0]) > 'z') {
        return false;
    }
    for (const char c : address.substr(1)) {
        if (c == ':') {
            return true;
        }
        const char lower = AsciiLower(c);
        if (!((lower >= 'a' && lower <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.')) {
            return false;
        }
    }
    return false;
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 2 < text.size() && AsciiHexDigit(text[at + 1]) >= 0 &&
            AsciiHexDigit(text[at + 2]) >= 0) {
            decoded +=
                static_cast<char>(AsciiHexDigit(text[at + 1]) * 16 + AsciiHexDigit(text[at + 2]));
            at += 2;
        } else {
            decoded += text[at];
        }
    }
    return decoded;
}

// A hidden file, a file in a hidden folder, or a program file: private whatever refers to it.
bool NeverPartOfSite(const std::string& path) {
    std::size_t at = 0;
    while (at < path.size()) {
        if (path[at] == '.') {
            return true;
        }
        const std::size_t slash = path.find('/', at);
        at = slash == std::string::npos ? path.size() : slash + 1;
    }
    return PathExtension(path) == "MAV";
}

bool IsPage(const std::string& path) {
    const std::string extension = PathExtension(path);
    return extension == "HTM" || extension == "HTML";
}

std::string Below(const std::string& folder, std::string_view name) {
    return folder.empty() ? std::string(name) : folder + "/" + std::string(name);
}

class SiteSearch {
  public:
    SiteSearch(const std::string& folder, const std::vector<std::string>& files)
        : folder(folder), files(files.begin(), files.end()) {}

    // Takes the pages, what runs made beside them and what they refer to.
    std::set<std::string> Run(const GeneratedPageTest& generatedPage) {
        std::vector<std::string> pages;
        for (const std::string& path : files) {
            if (IsPage(path) && !NeverPartOfSite(path) && generatedPage(JoinPath(folder, path))) {
                pages.push_back(path);
            }
        }
        foundPages = !pages.empty();
        std::set<std::string> pageFolders;
        for (const std::string& page : pages) {
            Take(page);
            pageFolders.insert(PathFolder(page));
        }
        for (const std::string& pageFolder : pageFolders) {
            TakeOutput(pageFolder);
        }
        for (const std::string& page : pages) {
            Follow(page, false);
        }
        return std::move(site);
    }

    // Whether Run found a page Mavren wrote.
    bool FoundPages() const { return foundPages; }

  private:
    bool Take(const std::string& path) {
        return files.count(path) != 0 && !NeverPartOfSite(path) && site.insert(path).second;
    }

    // The files runs make beside the pages of pageFolder.
    void TakeOutput(const std::string& pageFolder) {
        for (const std::string_view picture : kOwnPictures) {
            Take(Below(pageFolder, picture));
        }
        for (const std::string_view output : kOutputFolders) {
            const std::string outputFolder = Below(pageFolder, output);
            // The files of a folder follow it in the sorted set, each with "/" after it.
            const std::string start = outputFolder + "/";
            for (auto it = files.lower_bound(start);
                 it != files.end() && it->compare(0, start.size(), start) == 0; ++it) {
                if (it->find('/', start.size()) == std::string::npos) {
                    Take(*it);
                }
            }
        }
    }

    // Takes what the page or style sheet at path refers to, and what the style sheets
    // among that refer to.
    void Follow(const std::string& path, bool styleSheet) {
        std::string text;
        if (!ReadLimitedFile(JoinPath(folder, path), text, kLargestPage, OverLimit::ReadStart)
                 .ok()) {
            return;  // the upload says so when it comes to send it
        }
        for (const std::string& reference :
             styleSheet ? StyleReferences(text) : PageReferences(text)) {
            const std::string target = ReferencedPath(path, reference);
            if (!target.empty() && Take(target) && PathExtension(target) == "CSS") {
                Follow(target, true);
            }
        }
    }

    const std::string& folder;
    const std::set<std::string> files;
    std::set<std::string> site;
    bool foundPages = false;
};

}  // namespace

std::string ReferencedPath(const std::string& from, std::string_view reference) {
    while (!reference.empty() && IsSpace(reference.front())) {
        reference.remove_prefix(1);
    }
    while (!reference.empty() && IsSpace(reference.back())) {
        reference.remove_suffix(1);
    }
    // The query and the fragment are no part of the file's name.
    reference = reference.substr(0, reference.find_first_of("?#"));
    if (reference.empty() || HasScheme(reference) || reference.front() == '/' ||
        reference.front() == '\\') {
        return {};
    }
    std::string decoded = PercentDecoded(reference);
    std::replace(decoded.begin(), decoded.end(), '\\', '/');  // as browsers read it
    std::vector<std::string> parts;
    if (!PathParts(Below(PathFolder(from), decoded), parts)) {
        return {};  // out of the folder
    }
    std::string path;
    for (const std::string& part : parts) {
        path += (path.empty() ? "" : "/") + part;
    }
    return path;
}

std::set<std::string> SiteFiles(const std::string& folder, const std::vector<std::string>& files,
                                const GeneratedPageTest& generatedPage) {
    return SiteSearch(folder, files).Run(generatedPage);
}

bool KeepOnlySiteFiles(LocalSite& site, const std::string& folder,
                       const GeneratedPageTest& generatedPage) {
    SiteSearch search(folder, site.files);
    const std::set<std::string> ours = search.Run(generatedPage);
    if (!search.FoundPages()) {
        return false;
    }
    std::vector<std::string> kept;
    std::set<std::string> folders;
    for (std::string& path : site.files) {
        if (ours.count(path) == 0) {
            site.leftOut.push_back(std::move(path));
            continue;
        }
        for (std::string within = PathFolder(path); !within.empty(); within = PathFolder(within)) {
            folders.insert(within);
        }
        kept.push_back(std::move(path));
    }
    site.files = std::move(kept);
    site.folders = std::move(folders);
    return true;
}
