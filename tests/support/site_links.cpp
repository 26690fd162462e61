#include "support/site_links.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void AddCssUrls(const std::string& css, std::vector<std::string>& links) {
    static const std::regex url(R"re(url\(\s*(?:"([^"]*)"|'([^']*)'|([^)'"\s]*))\s*\))re",
                                std::regex::icase);
    for (auto it = std::sregex_iterator(css.begin(), css.end(), url); it != std::sregex_iterator();
         ++it) {
        links.push_back((*it)[1].matched ? (*it)[1] : (*it)[2].matched ? (*it)[2] : (*it)[3]);
    }
}

// "a.jpg 1x, b.jpg 2x" or "a.jpg 480w, ...": the addresses alone.
void AddSrcset(const std::string& value, std::vector<std::string>& links) {
    std::size_t at = 0;
    while (at < value.size()) {
        std::size_t end = value.find(',', at);
        if (end == std::string::npos) {
            end = value.size();
        }
        const std::string candidate = value.substr(at, end - at);
        const std::size_t start = candidate.find_first_not_of(" \t\r\n");
        if (start != std::string::npos) {
            const std::size_t stop = candidate.find_first_of(" \t\r\n", start);
            links.push_back(
                candidate.substr(start, stop == std::string::npos ? stop : stop - start));
        }
        at = end + 1;
    }
}

std::string DecodeEntities(const std::string& text) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&amp;", "&"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}};
    std::string decoded = text;
    for (const auto& [entity, character] : entities) {
        for (std::size_t at = 0; (at = decoded.find(entity, at)) != std::string::npos; ++at) {
            decoded.replace(at, std::string(entity).size(), character);
        }
    }
    return decoded;
}

// The path a relative address names, %xx decoded; empty for what is not one.
std::string LocalPath(std::string link) {
    link = DecodeEntities(link);
    link.erase(std::find_if(link.begin(), link.end(), [](char c) { return c == '#' || c == '?'; }),
               link.end());
    static const std::regex scheme("^[A-Za-z][A-Za-z0-9+.-]*:");
    if (link.empty() || link.starts_with("//") || link.starts_with('/') ||
        std::regex_search(link, scheme)) {
        return {};
    }
    std::string path;
    for (std::size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size() &&
            std::isxdigit(static_cast<unsigned char>(link[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(link[i + 2]))) {
            path += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += link[i];
        }
    }
    return path;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::vector<std::string> PageLinks(const std::string& text, bool css) {
    std::vector<std::string> links;
    if (css) {
        AddCssUrls(text, links);
        return links;
    }
    // Plain searches, not regular expressions, for what may run over many lines: the
    // standard library's matcher recurses once per character.
    std::string page = text;
    for (std::size_t at = 0; (at = page.find("<!--", at)) != std::string::npos;) {
        const std::size_t end = page.find("-->", at + 4);
        page.erase(at, end == std::string::npos ? end : end + 3 - at);
    }
    static const std::regex tag(R"(<[A-Za-z][^>]*>)");
    static const std::regex inTag(
        R"re(\s(SRC|SRCSET|HREF|BACKGROUND)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+)))re",
        std::regex::icase);
    for (auto t = std::sregex_iterator(page.begin(), page.end(), tag); t != std::sregex_iterator();
         ++t) {
        const std::string element = t->str();
        for (auto a = std::sregex_iterator(element.begin(), element.end(), inTag);
             a != std::sregex_iterator(); ++a) {
            const std::string value = (*a)[2].matched   ? (*a)[2].str()
                                      : (*a)[3].matched ? (*a)[3].str()
                                                        : (*a)[4].str();
            if (Lower((*a)[1]) == "srcset") {
                AddSrcset(value, links);
            } else {
                links.push_back(value);
            }
        }
    }
    const std::string lower = Lower(page);
    for (std::size_t at = 0; (at = lower.find("<style", at)) != std::string::npos;) {
        const std::size_t open = lower.find('>', at);
        const std::size_t close = lower.find("</style", at);
        if (open == std::string::npos || close == std::string::npos || close < open) {
            break;
        }
        AddCssUrls(page.substr(open + 1, close - open - 1), links);
        at = close;
    }
    return links;
}

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
        for (const std::string& link : PageLinks(ReadAll(it->path()), css)) {
            const std::string path = LocalPath(link);
            if (path.empty()) {
                continue;
            }
            const fs::path target = it->path().parent_path() / path;
            const bool holds =
                fs::is_regular_file(target) ||
                (fs::is_directory(target) && fs::is_regular_file(target / "index.html"));
            if (!holds) {
                broken.push_back(fs::relative(it->path(), folder).string() + ": " + link);
            }
        }
    }
    std::sort(broken.begin(), broken.end());
    return broken;
}
