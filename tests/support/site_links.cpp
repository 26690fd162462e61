#include "support/site_links.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "upload/page_references.h"
#include "upload/site_files.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::vector<std::string> BrokenSiteLinks(const std::string& folder) {
    std::vector<std::string> broken;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string extension = Lower(it->path().extension().string());
        const bool css = extension == ".css";
        if (!it->is_regular_file() || (!css && extension != ".htm" && extension != ".html")) {
            continue;
        }
        const std::string text = ReadAll(it->path());
        const std::string page = fs::relative(it->path(), folder).string();
        for (const std::string& link : css ? StyleReferences(text) : PageReferences(text)) {
            const std::string path = ReferencedPath(page, link);
            if (path.empty()) {
                continue;
            }
            const fs::path target = fs::path(folder) / path;
            const bool holds =
                fs::is_regular_file(target) ||
                (fs::is_directory(target) && fs::is_regular_file(target / "index.html"));
            if (!holds) {
                broken.push_back(page + ": " + link);
            }
        }
    }
    std::sort(broken.begin(), broken.end());
    return broken;
}
