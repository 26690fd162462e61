#pragma once

// What a generation run knows of one source file, in the order of the scanned list.

#include <cstdint>
#include <string>

#include "platform/photo_facts.h"

// Which copies of one picture of the site lie beside it in the newer formats, named by
// WebpSibling and AvifSibling (media/picture_set.h).
struct PictureSiblings {
    bool webp = false;
    bool avif = false;
};

class SourceRecord {
  public:
    virtual ~SourceRecord() = default;

    int height = 0;           // pixels; 0 when not an image or unknown
    int width = 0;            // pixels; likewise
    std::int64_t size = 0;    // bytes, from the file's status after any copy
    std::string contentPage;  // "GEN%04d.HTM" by position, or after its file (page_names.h)
    std::string thumbnail;    // relative to the target folder, when thumbnails are made
    std::string source;       // full path; the copy's path once copied into the target
    std::string indexPage;    // the index page that shows this entry

    // With web-size pictures on; empty and 0 otherwise. Paths relative to the target.
    std::string webCopy;      // the picture the content page shows: "Web/NAME"
    int webWidth = 0;         // its pixels
    int webHeight = 0;        // likewise
    std::string phoneCopy;    // a smaller web copy for phones, when the web copy is large
    int phoneWidth = 0;       // its pixels
    int phoneHeight = 0;      // likewise
    std::string thumbnail2x;  // the thumbnail at twice its size, for sharp screens
    // With WebP or AVIF copies on: which of the pictures above have them.
    PictureSiblings thumbnailSiblings;
    PictureSiblings thumbnail2xSiblings;
    PictureSiblings webSiblings;
    PictureSiblings phoneSiblings;
    bool originalPublished = true;  // the source was copied into the target
    // Why the picture cannot be shown ("it is not a valid JPG file"): nothing of it is then
    // published and its pages show the placeholder instead. Empty for a sound picture.
    std::string damage;
    // A PNG that lets the background through: its copies stay PNG (and WebP with alpha)
    // where an opaque one becomes JPEG.
    bool transparent = false;

    PhotoFacts facts;  // what the camera recorded, read when a page or the order needs it

    // A video: the web copy its content page plays ("Web/NAME.mp4"), of webWidth by
    // webHeight pixels like its poster (webCopy), and its length. facts.taken is the time
    // the container says it was recorded.
    bool video = false;
    std::string webVideo;  // empty when no web copy could be made
    double videoSeconds = 0;
};
