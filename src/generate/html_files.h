#pragma once

// Work on finished HTML files: boilerplate files (a user's page holding the tag
// "<MAVREN-BOILERPLATE>" where generated content goes), the body of an HTML file, and
// the generator mark by which the tool knows its own pages.
//
// Each function that takes a window and returns false has already told window (a stop or
// OK box), and its caller only stops; IsGeneratedFile's false also means, silently, "not
// marked".
// A file is rewritten only once its whole new content is built. No shared state: safe
// from any thread.

#include <cstddef>
#include <limits>
#include <memory>
#include <string>

#include "platform/result.h"
#include "work/worker_messages.h"

class ThemeFiles;

// The tag a boilerplate file holds where the generated content goes (exact case).
inline constexpr char kBoilerplateTag[] = "<MAVREN-BOILERPLATE>";

// The largest boilerplate, HTML source or text source that is read: far more than any
// page a browser shows well, and small enough that a file chosen by mistake is refused
// at once instead of costing minutes and gigabytes. Pages the tool wrote have no limit.
inline constexpr std::size_t kLargestSourceFile = 16 * 1024 * 1024;
inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// ReadWholeFile for a boilerplate or a source: a file over kLargestSourceFile is refused
// unread, and the text says so.
std::string ReadSourceFile(const std::string& path, std::string& contents);

// Ok when the file is readable text of at most kLargestSourceFile holding the
// boilerplate tag; otherwise the text of the stop box that says why it cannot serve.
Result CheckBoilerplate(const std::string& path);

// Sets body to the text between the body tag and the end-of-body tag, as read.
// False (body unchanged) when the file cannot be read, is larger than largest, or either
// tag is missing.
bool ExtractBody(const std::string& path, std::string& body,
                 const std::shared_ptr<WorkerMessageReceiver>& window,
                 std::size_t largest = kNoSizeLimit);

// Puts a generator META element into the file's head (or a new head after the html tag)
// unless the file carries the mark already, in any letter case. True when marked after.
bool AddGeneratorMeta(const std::string& path,
                      const std::shared_ptr<WorkerMessageReceiver>& window);

// AddGeneratorMeta for a page in memory: page holds the bytes of the file at path.
bool MarkGenerated(std::string& page, const std::string& path,
                   const std::shared_ptr<WorkerMessageReceiver>& window);

// True when the file holds the generator mark in exactly this letter case. Of a file
// larger than kLargestSourceFile only the start is read: a page the tool wrote carries
// the mark in its head.
bool IsGeneratedFile(const std::string& path, const std::shared_ptr<WorkerMessageReceiver>& window);

// IsGeneratedFile without a message: a file that cannot be read is not marked.
bool CarriesGeneratorMark(const std::string& path);

// Tags a boilerplate may hold besides the boilerplate tag, for what lies outside the body:
// the page's title (as in "<title><MAVREN-TITLE></title>") and its language (as in
// "<html lang=\"<MAVREN-LANGUAGE>\">"). A boilerplate without them is merged as before.
inline constexpr char kTitleTag[] = "<MAVREN-TITLE>";
inline constexpr char kLanguageTag[] = "<MAVREN-LANGUAGE>";
// Where the page's own elements of the head go (tags for shared links and the like); a
// boilerplate without it goes without them.
inline constexpr char kHeadTag[] = "<MAVREN-HEAD>";

// What goes in place of those tags, as HTML text.
struct PageWords {
    std::string title;
    std::string language;
    std::string head;  // whole elements, one a line; "" for none
    // Where the files the boilerplate names with "<MAVREN-FILE:NAME>" are copied and how
    // the page reaches them (theme_files.h); null leaves such tags as they are.
    ThemeFiles* files = nullptr;
};

// Replaces the written page by the boilerplate with the page's body in place of every
// boilerplate tag, and the words in place of theirs. True on success; on failure the page
// is left as it was.
bool ApplyBoilerplate(const std::string& pagePath, const std::string& boilerplatePath,
                      const PageWords& words, const std::shared_ptr<WorkerMessageReceiver>& window);

// The same for a page in memory: page holds the bytes the page at pagePath is to have, and
// becomes the merged page.
bool ApplyBoilerplate(std::string& page, const std::string& pagePath,
                      const std::string& boilerplatePath, const PageWords& words,
                      const std::shared_ptr<WorkerMessageReceiver>& window);
