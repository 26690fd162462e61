#pragma once

// Thumbnail sizes and files: fitting a picture into a square box, and making (or, in
// smart mode, reusing) the thumbnail file of one JPEG or PNG source. Nothing is kept
// between calls; both functions are safe to call from several threads at once, each
// thread on its own thumbnail file.

#include <string>

#include "platform/result.h"

// The size of a width by height picture fitted into the box, in double precision and
// truncated toward zero: a landscape picture takes the box width, any other the box
// height, enlarging small pictures. A picture without pixels (a side of 0 or less)
// fits to 0 by 0.
void FitThumbnail(int width, int height, int boxWidth, int boxHeight, int& outWidth,
                  int& outHeight);

// What became of one source's thumbnail: whether a file is there, and when none is made, the
// failure that says why.
struct ThumbnailOutcome {
    enum class Kind { Made, Kept, NotMade };
    Kind kind = Kind::NotMade;
    // When not made, why, its text for the user ("it is damaged or not a PNG picture"), of
    // kind DamagedInput when the source's pixels could not be decoded; ok when none was
    // asked for or nothing failed.
    Result failure = Result::Ok();
    bool damaged = false;  // made from a JPEG with corrupt data: it shows what could be read
};

// Makes the thumbnail file of a source whose extension is JPG (or JPEG, JPE) or PNG, scaled to
// exactly the fitted size and written in the format the thumbnail's name names. With smart set, a
// thumbnail written after the source (by the second) that already fills the box's width or height,
// and fits in it, is kept as it is. outWidth and outHeight are the size of the thumbnail that
// exists afterwards; they are left alone, and no file is written, when the source is of another
// kind, cannot be decoded, is too large to decode or fits to an empty picture. A JPEG with corrupt
// but complete data gets the thumbnail a browser would show of it, and outcome says it is damaged.
// Always returns true: failures are told only through outcome, when given.
bool MakeThumbnail(const std::string& source, const std::string& thumbnail, int boxWidth,
                   int boxHeight, int& outWidth, int& outHeight, bool smart,
                   ThumbnailOutcome* outcome = nullptr);
