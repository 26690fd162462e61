#pragma once

// A picture folder that holds no pictures of its own but whose subfolders do is a folder
// of albums: `mavren-cli new` and the wizard turn albums on for it, and a run without
// albums that finds nothing says where the pictures are. The wizard also says how many
// videos it found beside the pictures. Counted as a run with albums
// finds them (ScanProgramAlbums: the site's own folders, hidden folders and links that
// lead out are none). Reads the file system only; safe from any thread.

#include <string>

#include "document/program.h"

struct SubfolderPictures {
    int subfolders = 0;  // subfolders of the source folder holding pictures, at any depth
    int pictures = 0;    // all pictures in them
};

// The pictures the program's subfolders hold when its source folder holds none of its
// own; none for programs of other files than pictures, and for "/" and the home folder,
// whose trees are too wide to walk unasked.
SubfolderPictures PicturesOnlyInSubfolders(const Program& program);

// What `new` and the wizard say when they turn albums on: "The folder holds no pictures
// of its own but its 6 subfolders hold 79: each becomes an album."
std::string AlbumsTurnedOnNote(const SubfolderPictures& found);

// What a run without albums adds to "No files found!": "\n\nIts 6 subfolders hold 79
// pictures: turn on albums (mavren-cli set PROGRAM Include-Subfolders=Yes, or the Photos
// page)", with the program file's path as the user would type it; empty when no
// subfolder holds a picture.
std::string TurnOnAlbumsHint(const SubfolderPictures& found, const std::string& programPath);

// The files a picture program's run takes: pictures and videos apart.
struct FolderMedia {
    int pictures = 0;
    int videos = 0;
};

// The pictures and videos of the program's source folder, and with albums of its
// subfolders too (not for "/" and the home folder).
FolderMedia CountFolderMedia(const Program& program);

// What the wizard says of a folder with videos: "Found 120 pictures and 12 videos: each
// video gets a web copy that every browser plays."; empty without videos.
std::string FoundVideosNote(const FolderMedia& found);
