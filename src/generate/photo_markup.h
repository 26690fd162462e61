#pragma once

// The markup of photo pages: what an IMG element gains when a program makes web-size
// pictures, takes captions from the camera or makes pages for sharing (ALT text, srcset,
// lazy loading), the line with a content page's caption and date taken, and the data an
// index entry's link gives the theme's viewer. A program that uses none of them gets none
// of it, so its pages stay as they were.

#include <string>
#include <vector>

#include "document/program.h"
#include "generate/source_record.h"

// Whether the program's pages carry the photo markup at all.
bool PhotoMarkupOn(const Program& program);

// The caption of a picture: its entry in the descriptions file, else, with captions
// from the camera, what the camera recorded. Plain text, "" when there is none.
std::string PhotoCaption(const Program& program, const SourceRecord& record,
                         const std::string& description);

// The words that stand for a picture on pages for sharing: its caption, else its file's
// clean name (page_words.h). Plain text.
std::string SharedName(const std::string& caption, const SourceRecord& record);

// " ALT=\"...\"" with the caption, else the file name, escaped for an attribute; for a
// video's poster the words begin with "Video: ".
std::string AltAttribute(const std::string& caption, const SourceRecord& record);

// The attributes after SRC of a content page's picture: srcset and sizes of the web
// copies, when the record has any, and ALT.
std::string ContentImageAttributes(const SourceRecord& record, const std::string& caption);

// The attributes after SRC of an index thumbnail: srcset with the 2x thumbnail when the
// record has one, ALT, and lazy loading when the entry lies below the first screenful.
// labelled: a label in the same link names the picture, so that ALT is empty and a screen
// reader does not say the words twice.
std::string ThumbnailAttributes(const SourceRecord& record, const std::string& thumbnail,
                                const std::string& caption, bool belowFirstScreen,
                                bool labelled = false);

// One picture an IMG offers (its SRC, or one entry of its SRCSET) and its copies in the
// newer formats. path is relative to the page, not yet URL-encoded; descriptor is its
// SRCSET descriptor ("2x", "800w").
struct OfferedPicture {
    std::string path;
    PictureSiblings siblings;
    std::string descriptor;
};

// "<PICTURE>" and a SOURCE element for each format some of offered have, AVIF first and
// then WebP, whose SRCSET mirrors the IMG's (offered in its order; sizes is the IMG's SIZES,
// "" for none): what comes before the IMG. "" when none of offered has a copy, so that the
// IMG stands alone as before.
std::string PictureOpening(const std::vector<OfferedPicture>& offered, const std::string& sizes);

// "</PICTURE>" after the IMG when opening is not "".
std::string PictureClosing(const std::string& opening);

// PictureOpening of a content page's picture: its web copies, when the record has any.
std::string ContentPictureOpening(const SourceRecord& record);

// PictureOpening of an index thumbnail (at thumbnail) and its double.
std::string ThumbnailPictureOpening(const SourceRecord& record, const std::string& thumbnail);

// How many entries of an index page a first screenful shows: the rows of thumbnails of
// boxSize pixels that fit into a window 900 pixels high, across entries each (at least
// one row).
int EntriesOnFirstScreen(int across, int boxSize);

// How many entries of an index page a phone shows on its first screen, counted from the
// layout themes give it: two columns on a screen of 390 x 844 CSS pixels, each cell the
// thumbnail (a box of boxSize pixels, shrunk to the column) and a line of label, below
// the page's heading.
int EntriesOnPhoneScreen(int boxSize);

// A date taken as pages show it: "2024-05-01 14:03", local time.
std::string TakenText(OleDate taken);

// The picture a content page shows, URL-encoded relative to the page: the web copy when
// there is one, else the picture itself; width and height are its pixels.
std::string ShownPicture(const SourceRecord& record, int& width, int& height);

// The attributes an index entry's link gets for the viewer: DATA-PSWP-SRC (the picture
// the content page shows), its DATA-PSWP-WIDTH and -HEIGHT, DATA-PSWP-SRCSET with the
// phone copy, DATA-CAPTION and, when known, DATA-TAKEN. "" for a damaged picture and one
// whose size is not known, and for a video, whose entry leads to its page, where it plays.
std::string ViewerData(const SourceRecord& record, const std::string& shownName);

// The line under a content page's picture: the caption (unless the page's label shows it
// already), a video's length (videoSeconds; 0: not a video, or not known) and the date
// taken, each in an element that themes can style. "" when there is none of them.
std::string PhotoFactsLine(const std::string& caption, const PhotoFacts& facts,
                           double videoSeconds = 0);

// A video's length as pages show it: "0:12", "12:03", "1:02:03". "" when not known.
std::string DurationText(double seconds);

// The VIDEO element of a video's content page: its web copy, URL-encoded relative to the
// page, with the poster (the JPEG: browsers take no PICTURE for a poster) and the size of
// both. "" when the record has no web copy of the video.
std::string VideoElement(const SourceRecord& record);

// What an index thumbnail of a video shows over it: a play sign and the video's length,
// which pages without a theme show after the thumbnail.
std::string VideoMark(const SourceRecord& record);
