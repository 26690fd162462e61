#pragma once

// Walks a source folder tree once and returns it as albums: one per folder that holds
// matching files directly or further down. Folders that are left out are named in notes
// the caller may show; the scan itself posts nothing. Thread-safe.

#include <string>
#include <vector>

#include "platform/source_scan.h"

struct Album {
    std::string path;           // relative to the source folder, "/"-joined; "" for the top
    std::string name;           // the folder's own name (or the link's, for a linked folder)
    FileList files;             // full paths, matched and sorted as ScanFiles lists one folder
    std::vector<Album> albums;  // sub-albums, sorted by name as files are
};

struct AlbumTree {
    Album top;                       // the source folder itself, kept even when empty
    std::vector<std::string> notes;  // one sentence per folder left out, sorted by folder
    // False when some folder could not be read, or its listing broke off part way: an
    // album missing from the tree may then be there all the same.
    bool complete = true;
};

// patterns: a ";"-separated wildcard list as ScanFiles takes it. excludedFolders: folders
// never taken as albums (the site's own output when it lies inside the source), compared
// by identity, so any spelling of the path will do. Hidden folders are left out; a link to
// a folder is followed only when it leads inside the source to a folder not walked yet
// (real folders are walked before links, so a link never hides the folder it points to).
// Unreadable folders, and folders whose listing breaks off, give a note, the tree is not
// complete, and the scan goes on. A folder named as one of
// reservedNames (ignoring letter case) is left out wherever it lies: every album of the
// site keeps its own pictures in folders of those names.
AlbumTree ScanAlbums(const std::string& sourceFolder, const std::string& patterns,
                     const std::vector<std::string>& excludedFolders,
                     const std::vector<std::string>& reservedNames = {});

// The files of the album and of all its sub-albums.
int PictureCount(const Album& album);
