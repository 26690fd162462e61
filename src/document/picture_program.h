#pragma once

// What a new picture program starts with beyond the default program and its picture list:
// web-size copies (unless the user declines them), the originals kept out of the site
// (visitors see the web copies, or clean copies without them), captions from the camera, real
// thumbnails of GIFs (their first frame), thumbnails of 240 pixels, the order the user chose
// (by date taken, oldest first, unless asked otherwise), and albums of the
// subfolders when the user asks for them. Text and HTML programs get none of it. Pure
// functions.

#include "document/program_key.h"

class Program;

// The longest side of the web copies of new picture programs, and the size the web copies
// get when the user switches them on.
constexpr int kNewProgramWebSize = 1600;

// The thumbnails of new picture programs: two to a phone's row, four to six to a desktop's.
constexpr int kNewProgramThumbnailSize = 240;

struct PictureProgramChoices {
    bool webCopies = true;
    PhotoOrder order = PhotoOrder::OldestFirst;
    bool albums = false;            // each subfolder with pictures an album of its own
    bool publishOriginals = false;  // as taken
};

void ApplyPictureProgramSettings(Program& program, const PictureProgramChoices& choices = {});
