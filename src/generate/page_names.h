#pragma once

// The names of a folder's content pages. Classic programs number them by position
// ("GEN0000.HTM"), so that a photo added in between renames every page after it; with
// Page-Names-From-Files each page is named after its source file, from the file names of
// the folder's sources alone:
// - the file name without its extension; every run of characters other than letters and
//   digits (of any script, in valid UTF-8), "-" and "_" becomes one "-"; "-" at either end
//   is dropped; an empty result is "photo"; it is cut to 200 bytes; then ".html":
//   "IMG_2041.JPG" gives "IMG_2041.html", "Harbour at dawn!.jpg" "Harbour-at-dawn.html";
// - names that clash ignoring letter case, with each other ("a.jpg" and "a.png", "a b.jpg"
//   and "a-b.jpg") or with a name the run writes itself there ("index.html"; the sources,
//   when the site is made in their folder), get "-" and the extension in lower case before
//   ".html" ("a-jpg.html", "a-png.html");
// - what still clashes gets "-2", "-3" ... in the order of the file names, never of the
//   pages, so that a new order changes no name.
// A name thus changes only when a source of the same clean name comes or goes. Pure
// functions, safe from any thread.

#include <string>
#include <vector>

#include "document/program.h"

// The page of each of sources (paths or file names, in any order), in their order. taken:
// the other names the run writes into the folder, which no page may have.
std::vector<std::string> NamedContentPages(const std::vector<std::string>& sources,
                                           const std::vector<std::string>& taken);

// The content pages of sources, the sources of one folder in page order, as the program
// names them: by position, or with Page-Names-From-Files after their files.
std::vector<std::string> ContentPageNames(const Program& program,
                                          const std::vector<std::string>& sources);
