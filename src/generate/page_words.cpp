#include "generate/page_words.h"

#include "generate/web_names.h"
#include "platform/paths.h"

namespace {

constexpr char kTitleSeparator[] = " \u2013 ";  // an en dash between blanks

std::string Meta(const char* attribute, const char* name, const std::string& value) {
    return std::string("<meta ") + attribute + "=\"" + name + "\" content=\"" + HtmlText(value) +
           "\">\n";
}

}  // namespace

std::string CleanName(std::string_view path) {
    const std::string name = PathFileName(path);
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string clean;
    bool blank = false;
    for (const char c : stem) {
        if (c == '_' || c == '-' || c == ' ' || c == '\t') {
            blank = !clean.empty();
            continue;
        }
        if (blank) {
            clean += ' ';
            blank = false;
        }
        clean += c;
    }
    return clean.empty() ? name : clean;
}

std::string JoinTitle(const std::vector<std::string>& parts) {
    std::string title;
    for (const std::string& part : parts) {
        if (part.empty()) {
            continue;
        }
        if (!title.empty()) {
            title += kTitleSeparator;
        }
        title += part;
    }
    return title;
}

std::string AlbumTitle(const AlbumPlace* album) {
    if (album == nullptr) {
        return {};
    }
    return album->trail.empty() ? album->path : album->trail.back();
}

std::string SiteUrl(std::string_view address, const std::vector<std::string>& trail,
                    const std::string& relative) {
    if (address.empty()) {
        return relative;
    }
    std::string url(address);
    if (!url.ends_with('/')) {
        url += '/';
    }
    for (const std::string& folder : trail) {
        url += UrlPath(folder) + "/";
    }
    return url + relative;
}

std::string ShareTags(const ShareCard& card, std::string_view address,
                      const std::vector<std::string>& trail) {
    std::string tags = Meta("property", "og:type", "website");
    tags += Meta("property", "og:title", card.title);
    if (!card.description.empty()) {
        tags += Meta("property", "og:description", card.description);
    }
    if (!card.image.empty()) {
        tags += Meta("property", "og:image", SiteUrl(address, trail, card.image));
        if (card.imageWidth > 0 && card.imageHeight > 0) {
            tags += Meta("property", "og:image:width", std::to_string(card.imageWidth));
            tags += Meta("property", "og:image:height", std::to_string(card.imageHeight));
        }
    }
    if (!card.siteName.empty()) {
        tags += Meta("property", "og:site_name", card.siteName);
    }
    if (!address.empty()) {
        const std::string url = SiteUrl(address, trail, card.page);
        tags += Meta("property", "og:url", url);
        tags += "<link rel=\"canonical\" href=\"" + HtmlText(url) + "\">\n";
    }
    tags += Meta("name", "twitter:card", card.image.empty() ? "summary" : "summary_large_image");
    tags.pop_back();  // the boilerplate's own line end follows the tag
    return tags;
}
