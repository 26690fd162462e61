#include "generate/site_path.h"

#include "generate/site_index_page.h"
#include "generate/web_names.h"

namespace {

constexpr char kPathSeparator[] = " \u203a ";  // as albums' paths are shown

std::string Link(const std::string& href, const std::string& name) {
    return "<A HREF=\"" + UrlPath(href) + "\">" + HtmlText(name) + "</A>";
}

std::string Up(std::size_t levels) {
    std::string up;
    for (std::size_t i = 0; i < levels; ++i) {
        up += "../";
    }
    return up;
}

}  // namespace

std::string SitePathLine(const Program& program, const std::vector<std::string>& trail,
                         const std::string& albumPage) {
    const std::string& site = program.GetText(ProgramKey::SiteName);
    if (site.empty()) {
        return {};
    }
    std::string line = "<NAV CLASS=\"site-path\" ARIA-LABEL=\"Site\">";
    // A site of content pages alone has no index page to start from but index.html.
    if (program.GetBool(ProgramKey::SiteIndexHtml)) {
        line += Link(Up(trail.size()) + kSiteIndexName, site);
    } else if (program.GetBool(ProgramKey::GenerateIndexPage)) {
        line += Link(Up(trail.size()) + "INDEX000.HTM", site);
    } else {
        line += HtmlText(site);
    }
    for (std::size_t i = 0; i < trail.size(); ++i) {
        line += kPathSeparator;
        const bool own = i + 1 == trail.size();
        if (!own) {
            line += Link(Up(trail.size() - 1 - i) + "INDEX000.HTM", trail[i]);
        } else if (!albumPage.empty()) {
            line += Link(albumPage, trail[i]);
        } else {
            line += "<SPAN ARIA-CURRENT=\"page\">" + HtmlText(trail[i]) + "</SPAN>";
        }
    }
    return line + "</NAV>\n";
}
