// A folder whose pictures are all in subfolders: when it counts as one, and what new, the
// wizard and a run without albums say of it.

#include "generate/subfolder_albums.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/test_support.h"

namespace {

TEST(SubfolderAlbums, OnlyPictureFoldersWithoutPicturesOfTheirOwnCount) {
    const struct Case {
        std::string patterns;
        std::vector<std::string> files;  // below the source folder
        int subfolders;
        int pictures;
    } cases[] = {
        {"*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif",
         {"Rome/a.jpg", "Rome/b.heic", "Paris/c.png"},
         2,
         3},
        {"", {"Rome/a.jpg"}, 1, 1},                              // the classic picture list
        {"*.jpg;*.png;*.gif", {"top.jpg", "Rome/a.jpg"}, 0, 0},  // pictures of its own
        {"*.txt", {"Notes/a.txt"}, 0, 0},                        // albums are of pictures
        {"*.jpg;*.png;*.gif", {"site/Rome/a.jpg"}, 0, 0},        // the site's own folder
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const std::string& file : c.files) {
            WriteFileBytes(dir / ("source/" + file), "x");
        }
        Program program;
        program.SetString(ProgramKey::SourceDir, dir / "source");
        program.SetString(ProgramKey::TargetDir, dir / "source/site");
        program.SetString(ProgramKey::SourceFileExtension, c.patterns);
        const SubfolderPictures found = PicturesOnlyInSubfolders(program);
        EXPECT_EQ(found.subfolders, c.subfolders) << c.files.front();
        EXPECT_EQ(found.pictures, c.pictures) << c.files.front();
    }

    // The home folder is too wide to walk unasked.
    WriteFileBytes(std::string(std::getenv("HOME")) + "/Pictures/a.jpg", "x");
    Program home;
    home.SetString(ProgramKey::SourceDir, std::getenv("HOME"));
    EXPECT_EQ(PicturesOnlyInSubfolders(home).pictures, 0);
}

TEST(SubfolderAlbums, NotesCountInPlainWordsAndNameTheProgramAsTyped) {
    const struct Case {
        SubfolderPictures found;
        std::string program;
        std::string note;
        std::string hint;
    } cases[] = {
        {{6, 79},
         "/home/ann/trip.mav",
         "The folder holds no pictures of its own but its 6 subfolders hold 79: each becomes an "
         "album.",
         "\n\nIts 6 subfolders hold 79 pictures: turn on albums (mavren-cli set "
         "/home/ann/trip.mav Include-Subfolders=Yes, or the Photos page)"},
        {{1, 1},
         "trips/Ann's trip.mav",
         "The folder holds no pictures of its own but its subfolder holds 1: it becomes an album.",
         "\n\nIts subfolder holds 1 picture: turn on albums (mavren-cli set 'trips/Ann'\\''s "
         "trip.mav' Include-Subfolders=Yes, or the Photos page)"},
        {{1, 5},
         "",
         "The folder holds no pictures of its own but its subfolder holds 5: it becomes an album.",
         "\n\nIts subfolder holds 5 pictures: turn on albums (mavren-cli set PROGRAM.mav "
         "Include-Subfolders=Yes, or the Photos page)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AlbumsTurnedOnNote(c.found), c.note);
        EXPECT_EQ(TurnOnAlbumsHint(c.found, c.program), c.hint);
    }
    EXPECT_EQ(TurnOnAlbumsHint({}, "trip.mav"), "");
}

}  // namespace
