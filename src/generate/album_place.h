#pragma once

// Where an index page stands in a site of albums: the album's path for the title, whether
// it has a parent to go up to, and the entries of its sub-albums, which come before its own
// pictures. Plain values, filled by the run before the album's pages are written.

#include <string>
#include <vector>

#include "platform/date_time.h"

// One sub-album as its parent's index pages show it.
struct AlbumEntry {
    std::string name;    // the folder's name, as shown
    std::string folder;  // relative to the parent album's folder
    std::string cover;   // the cover thumbnail, relative to the parent album's folder; empty: none
    int coverWidth = 0;  // its pixels; 0 when not known
    int coverHeight = 0;
    int pictures = 0;    // in the album and all below it
    OleDate newest = 0;  // the latest photo inside, by date taken or else file time
};

struct AlbumPlace {
    std::string path;  // what "%A" stands for: "Rome › Day 1", the folder's name at the top
    bool hasParent = false;
    std::vector<AlbumEntry> albums;
    // The folder names from the site's top down to this album: {"2024", "Rome"}; empty at
    // the top. Its size is how many "../" lead back to the top.
    std::vector<std::string> trail;
};
