#pragma once

// What a program made by `mavren-cli new` or the New Program wizard starts with over the
// default program: its folders and file patterns, the source folder's own name as the
// index title (with albums, each album's path, which on the top album is that name),
// pages of 4 by 5 thumbnails, an index.html that shows the start page, pages named after
// their files and made for sharing under the source folder's name as the site's name, and
// for pictures what ApplyPictureProgramSettings gives.
// The default program and programs written before are left as they are. The callers give
// new programs kNewProgramTheme once the program file exists, since a theme is copied
// beside it. Pure functions.

#include <string>

#include "document/picture_program.h"

class Program;

// The theme new programs take unless the user picks another: readable on phones.
inline constexpr char kNewProgramTheme[] = "light";

inline constexpr int kNewProgramThumbnailsAcross = 4;
inline constexpr int kNewProgramThumbnailsDown = 5;

// The index title of new programs with albums: the album's path, the source folder's own
// name on the top album.
inline constexpr char kAlbumPathTitle[] = "%A";

struct NewProgramSettings {
    std::string sourceFolder;  // absolute
    std::string targetFolder;  // absolute
    std::string patterns;      // Source-File-Extension
    bool pictures = true;
    PictureProgramChoices pictureChoices;  // pictures only
};

// The folder's own name, its last path component: "/home/ann/100% Rome/" gives
// "100% Rome". The folder alone when it has no name ("/").
std::string FolderName(const std::string& folder);

// The title pattern that shows the folder's own name, its last path component, as
// written: "/home/ann/100% Rome/" gives "100%% Rome". The folder alone when it has no
// name ("/").
std::string FolderNameTitle(const std::string& folder);

void ApplyNewProgramDefaults(Program& program, const NewProgramSettings& settings);
