#pragma once

// Where a source's pictures go in the site, relative to the target folder, and which job
// makes them. Pure functions of the source's name and the program; safe on any thread.

#include <string>

#include "document/program.h"
#include "generate/source_record.h"
#include "generate/thumbnail_queue.h"

// Sources libvips decodes and browsers may not show (HEIF, WebP, TIFF): they always get a
// JPEG web copy and a JPEG thumbnail.
bool IsConvertedPicture(const std::string& source);

// True for a PNG source whose copies are JPEG: the program makes opaque PNGs' so and
// transparent is false (PNG sources only; see SourceRecord::transparent).
bool PngAsJpeg(const std::string& source, const Program& program, bool transparent);

// The thumbnail: "Thumbs/TN_NAME"; "Thumbs/TN_NAME.jpg" for converted pictures and PNGs
// made JPEG; for a GIF, "Thumbs/TN_NAME.png" of its first frame with thumbnail type 3, else
// the placeholder's.
std::string ThumbnailName(const std::string& source, const Program& program, bool transparent);

// The web copy: "Web/NAME" for JPEG and PNG sources, "Web/NAME.jpg" for converted ones and
// PNGs made JPEG, "" for GIF pictures (the page shows the GIF itself) and when the program
// makes none.
std::string WebCopyName(const std::string& source, const Program& program, bool transparent);

// The web copy of a video, which its page plays: "Web/NAME.mp4" for an MP4, else
// "Web/NAME.mov.mp4". (Its poster is the web copy picture, "Web/NAME.mov.jpg".)
std::string VideoWebCopyName(const std::string& source);

// The phone copy beside a web copy: "Web/Small/NAME" for "Web/NAME".
std::string PhoneCopyName(const std::string& webCopy);

// The double of a thumbnail: "Thumbs/2x/TN_NAME" for "Thumbs/TN_NAME".
std::string Thumbnail2xName(const std::string& thumbnail);

// How a source reaches the site under its own name, when the target is not the source
// folder: not at all (its web copy shows it), as taken, cleaned of all but the picture, or
// without its place and the camera's identity. A program that publishes originals as
// taken copies every source as taken, GIFs too; otherwise a GIF, and a JPEG or PNG
// without a web copy, is shown as it is and so goes clean.
enum class SourceCopy { None, AsTaken, Clean, WithoutPlace };
SourceCopy SourceCopyKind(const std::string& source, const Program& program);

// True when the run makes pictures beyond the classic thumbnails for this source: web
// size, pages for sharing, WebP or AVIF copies on, a converted picture, or a GIF with a
// thumbnail of its own.
bool MakesNewPictures(const std::string& source, const Program& program);

// The job that makes every picture of the record: its thumbnail (when withThumbnail and the
// record has one) and, with web-size pictures, its double, the web and the phone copy
// (pages for sharing: the double too), each with the WebP and AVIF copies the program asks
// for. False when there is nothing to make. A program that uses none of the photo keys gets
// exactly the classic thumbnail job.
bool PictureJob(const SourceRecord& record, const Program& program, bool withThumbnail,
                ThumbnailQueue::Job& job);
