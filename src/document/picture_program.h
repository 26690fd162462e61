#pragma once

// What a new picture program starts with beyond the default program and its picture list:
// web-size copies (unless the user declines them), captions from the camera, real
// thumbnails of GIFs (their first frame) and the order the user chose. Text and HTML
// programs get none of it. Pure functions.

#include "document/program_key.h"

class Program;

// The longest side of the web copies of new picture programs, and the size the web copies
// get when the user switches them on.
constexpr int kNewProgramWebSize = 1600;

struct PictureProgramChoices {
    bool webCopies = true;
    PhotoOrder order = PhotoOrder::ByName;
};

void ApplyPictureProgramSettings(Program& program, const PictureProgramChoices& choices = {});
