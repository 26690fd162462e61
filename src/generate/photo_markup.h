#pragma once

// The markup of photo pages: what an IMG element gains when a program makes web-size
// pictures or takes captions from the camera (ALT text, srcset, lazy loading), and the
// line with a content page's caption and date taken. A program that uses neither
// gets none of it, so its pages stay as they were.

#include <string>

#include "document/program.h"
#include "generate/source_record.h"

// Whether the program's pages carry the photo markup at all.
bool PhotoMarkupOn(const Program& program);

// The caption of a picture: its entry in the descriptions file, else, with captions
// from the camera, what the camera recorded. Plain text, "" when there is none.
std::string PhotoCaption(const Program& program, const SourceRecord& record,
                         const std::string& description);

// " ALT=\"...\"" with the caption, else the file name, escaped for an attribute.
std::string AltAttribute(const std::string& caption, const SourceRecord& record);

// The attributes after SRC of a content page's picture: srcset and sizes of the web
// copies, when the record has any, and ALT.
std::string ContentImageAttributes(const SourceRecord& record, const std::string& caption);

// The attributes after SRC of an index thumbnail: srcset with the 2x thumbnail when the
// record has one, ALT, and lazy loading when the entry lies below the first screenful.
std::string ThumbnailAttributes(const SourceRecord& record, const std::string& thumbnail,
                                const std::string& caption, bool belowFirstScreen);

// How many entries of an index page a first screenful shows: the rows of thumbnails of
// boxSize pixels that fit into a window 900 pixels high, across entries each (at least
// one row).
int EntriesOnFirstScreen(int across, int boxSize);

// The line under a content page's picture: the caption (unless the page's label shows it
// already) and the date taken, each in an element that themes can style. "" when there
// is neither.
std::string PhotoFactsLine(const std::string& caption, const PhotoFacts& facts);
