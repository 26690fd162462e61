#pragma once

// A check of a generated site as a browser would follow it: every SRC, SRCSET, HREF and
// BACKGROUND of every page, and every url(...) in a page's STYLE element or in a style
// sheet of the site, that is relative must lead to a file of the site. Absolute
// addresses, "mailto:" and the like, and anchors within a page are skipped; %xx and the
// usual character references are decoded. Used by the tests of generation runs.

#include <string>
#include <vector>

// The links of the site in folder (pages *.htm, *.html in any letter case, style sheets
// *.css, in every subfolder) that lead to no file, each as "page: link". A link to a folder
// holds when the folder has an index.html. Empty when every link holds.
std::vector<std::string> BrokenSiteLinks(const std::string& folder);

// The links of one page's text as BrokenSiteLinks reads them, in order, undecoded; css:
// the text is a style sheet.
std::vector<std::string> PageLinks(const std::string& text, bool css);
