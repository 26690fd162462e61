#pragma once

// What a site Mavren generated into a folder consists of, when the folder holds other
// things too (a program whose target is its source folder: the photos folder holds the
// user's private files beside the site). The site is:
// - the pages Mavren wrote (".htm" or ".html" files that carry its generator mark),
// - what its runs made beside them: the files of "Thumbs", "Thumbs/2x", "Web" and
//   "Web/Small", and the tool's own pictures ("GifPlaceHolder.gif",
//   "GeneratedWithMavren.gif"),
// - every file of the folder the pages refer to (page_references.h), and what the style
//   sheets among those refer to in turn.
// Never a hidden file, nothing in a hidden folder and no program file ("*.mav"), whatever
// refers to it. Reads the pages and style sheets; no shared state, safe from any thread.

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "upload/upload_walk.h"

// Whether the file at a path is a page Mavren wrote (it carries the generator mark).
using GeneratedPageTest = std::function<bool(const std::string& path)>;

// The file of the folder that reference, found in the file from (both relative,
// "/"-separated), leads to: %xx decoded, "." and ".." taken; "" for an address of another
// site or scheme ("http:", "mailto:", "data:"), one from the server's root ("/a.jpg"), a
// fragment alone ("#top") and one that leads out of the folder.
std::string ReferencedPath(const std::string& from, std::string_view reference);

// The site's files among files (the folder's regular files, relative paths), by the rules
// above; generatedPage is asked about the ".htm" and ".html" files only.
std::set<std::string> SiteFiles(const std::string& folder, const std::vector<std::string>& files,
                                const GeneratedPageTest& generatedPage);

// Keeps in site only the site's files of folder; the others move to site.leftOut, and
// site.folders keeps the folders that hold a file of the site. False, and site
// unchanged, when no page in the folder was written by Mavren: there is no site to send.
bool KeepOnlySiteFiles(LocalSite& site, const std::string& folder,
                       const GeneratedPageTest& generatedPage);
