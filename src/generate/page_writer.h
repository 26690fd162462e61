#pragma once

// Writes one generated page: the text with every line end written as CR LF, the
// indentation level of the page's lines, and the page frame that index and content pages
// share (header line, FONT tag, closing lines). The page is gathered in memory and
// written when it is closed, so that a page holding UTF-8 text can declare it on the
// line after its generator META (text_encoding.h).
//
// A page whose bytes are already in its file leaves that file and its time alone, so that
// a rerun of an unchanged program changes nothing the upload record would send again.
//
// One writer per page, used by one thread. A page that cannot be written (disk full and
// the like) fails at Close, which the page steps check; the generation worker reports
// it. A page abandoned before Close is written as far as it got.

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/file_descriptor.h"
#include "platform/result.h"

class PageWriter {
  public:
    PageWriter() = default;
    ~PageWriter();
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    // Opens path for writing, creating it when missing; its bytes stay until Close. A
    // failure names the step, the path and errno.
    Result Open(const std::string& path);

    // Writes text as it is, but for each line feed not preceded by a carriage return,
    // which becomes CR LF.
    void Write(std::string_view text);

    // Formats printf-style and writes the result whole, however long.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The blanks that start a line. For delta > 0, the current level's blanks, then the
    // level rises by delta; otherwise the level first changes by delta and the new
    // level's blanks come back. At most 80 blanks; a negative level gives none.
    std::string Indent(int delta);

    // Writes Indent(delta) and then text.
    void Line(int delta, std::string_view text);

    // The page frame: the header line with the BODY attributes, and after it the FONT
    // tag when there is one; the closing lines, with "</FONT>" when a FONT tag was written.
    // A language (HTML text) goes into the HTML tag as its LANG.
    void WriteHeader(const std::string& bodyAttributes, const std::string& fontTag,
                     const std::string& language = {});
    void WriteClosing();

    // Writes the page, declaring UTF-8 when it needs it, unless the file holds exactly
    // those bytes already, and closes the file. Fails, with "Failed to write '<path>'
    // (<the system's reason>)", when the data could not be written.
    Result Close();

    // The page gathered so far, line ends already CR LF, for a last change before Close.
    std::string& text() { return content; }

    // True after a Close that found the page's bytes already in its file.
    bool unchanged() const { return same; }

    const std::string& path() const { return filePath; }
    const std::string& fontTag() const { return font; }

  private:
    // Writes the page unless its file holds it already: ok, or the step that failed.
    Result Flush();
    bool HoldsContent(const struct stat& status) const;

    std::string filePath;
    UniqueFd file;
    bool readable = false;  // the file could be opened for reading too
    bool same = false;
    std::string content;  // the page so far, line ends already CR LF
    bool afterCarriageReturn = false;
    int level = 0;
    std::string font;  // the FONT tag of the header, closed by WriteClosing
};
