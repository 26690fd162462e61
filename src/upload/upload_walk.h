#pragma once

// What an upload takes from the local site: the regular files below the target folder
// and the folders it walks, and what it leaves out with the reason. The walk stays in
// the target folder: it never enters a linked folder (one outside would carry private
// files to the server, one inside is walked under its own name), never walks a folder
// twice, and takes a link to a file only when the file lies inside the target folder.
// Names with a line break or another control character cannot be sent to a server and
// are left out, as are temporary files of ours (a save that was killed leaves one),
// pipes, devices, broken links and what cannot be read. The mirror deletion leaves the
// server's copy of everything left out alone. A folder whose listing breaks off part way
// is no folder read whole: the walk notes it, and the upload deletes nothing on the
// server (what it did not see would look gone). Thread-safe.

#include <set>
#include <string>
#include <vector>

struct SkippedEntry {
    std::string path;    // relative, "/"-separated
    std::string reason;  // "a link to a folder outside the site"
};

struct LocalSite {
    // Relative paths ("a.htm", "images/b.jpg"), sorted by the whole path ignoring letter case.
    std::vector<std::string> files;
    std::set<std::string> folders;      // the subfolders walked, relative
    std::vector<SkippedEntry> skipped;  // sorted by path
    std::set<std::string> skippedPaths;
    // The folders whose listing broke off part way ("" for the top one), with the reason:
    // what they hold beyond the break is not among the files.
    std::vector<SkippedEntry> unread;
    // Files that are not part of the site, when only the site goes (site_files.h).
    std::vector<std::string> leftOut;
};

// Walks the folder and its subfolders. A folder that cannot be resolved gives an empty site.
LocalSite WalkLocalSite(const std::string& folder);

// The path as a status line may show it: control characters as "?".
std::string ShownPath(const std::string& path);
