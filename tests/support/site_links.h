#pragma once

// A check of a generated site as a browser would follow it: every address of every page
// and style sheet (as the upload finds them, page_references.h) that leads to a file of the
// site must find one. Addresses of other sites, "mailto:" and the like, and anchors within a
// page are skipped. Used by the tests of generation runs.

#include <string>
#include <vector>

// The links of the site in folder (pages *.htm, *.html in any letter case, style sheets
// *.css, in every subfolder) that lead to no file, each as "page: link". A link to a folder
// holds when the folder has an index.html. Empty when every link holds.
std::vector<std::string> BrokenSiteLinks(const std::string& folder);
