#pragma once

// Writes one generated page: the text goes to the file as it comes, with every line end
// written as CR LF; formatted lines are cut like the platform's fixed-size buffer cut
// them; the indentation level of the page's lines; and the page frame that index and
// content pages share (header line, FONT tag, closing lines).
//
// One writer per page, used by one thread. A failed write throws std::runtime_error
// (disk full and the like are not foreseen by the page steps; the generation worker
// reports them).

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

class PageWriter {
  public:
    PageWriter() = default;
    ~PageWriter();
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    // Creates or truncates path for writing. False, with errno set, when it cannot.
    bool Open(const std::string& path);

    // Writes text as it is, but for each line feed not preceded by a carriage return,
    // which becomes CR LF.
    void Write(std::string_view text);

    // Formats printf-style and writes the result; a result of 10240 bytes or more is
    // written as its first 1024 (without splitting a UTF-8 character).
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The blanks that start a line. For delta > 0, the current level's blanks, then the
    // level rises by delta; otherwise the level first changes by delta and the new
    // level's blanks come back. At most 80 blanks; a negative level gives none.
    std::string Indent(int delta);

    // Writes Indent(delta) and then text.
    void Line(int delta, std::string_view text);

    // The page frame: the header line with the BODY attributes, and after it the FONT
    // tag when there is one; the closing lines, with "</FONT>" when a FONT tag was written.
    void WriteHeader(const std::string& bodyAttributes, const std::string& fontTag);
    void WriteClosing();

    // Closes the file; throws when the data could not be written.
    void Close();

    const std::string& path() const { return filePath; }
    const std::string& fontTag() const { return font; }

  private:
    [[noreturn]] void Fail(int error);

    std::string filePath;
    std::FILE* file = nullptr;
    std::unique_ptr<char[]> buffer;
    bool afterCarriageReturn = false;
    int level = 0;
    std::string font;  // the FONT tag of the header, closed by WriteClosing
};
