#pragma once

// The site-name line at the top of a page's body when the program names its site
// (Site-Name): the site's name linked to the site's start page, then the albums down to
// the page's own, each linked to its first index page. Themes style it as
// "nav.site-path". Pure functions; safe from any thread.

#include <string>
#include <vector>

#include "document/program.h"

// The line as HTML ending in a line end, "" when the program names no site. trail: the
// page's album folders from the site's top (empty at the top). albumPage: where the
// page's own album links to, relative to the page ("" on the album's index pages, which
// show it unlinked as the current place).
std::string SitePathLine(const Program& program, const std::vector<std::string>& trail,
                         const std::string& albumPage);
