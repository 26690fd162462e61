#pragma once

// One program: the user's description of a web site as typed values addressed by
// key id, plus the file it came from, the text of the last load or save failure and
// the time of the last change. Owned by one front end; while a generation runs, the
// worker reads it and writes only Last-Generated, and the front end does not edit it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "document/program_key.h"
#include "platform/date_time.h"
#include "platform/result.h"

class Program {
  public:
    Program() = default;
    virtual ~Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    std::string path;      // the file last loaded (Save to another path leaves it)
    OleDate modified = 0;  // when a value last changed (or the loaded file's time)

    // Getters: 0, false or "" for an id that no key carries.
    int GetInt(ProgramKey id) const;
    bool GetBool(ProgramKey id) const;
    OleDate GetDate(ProgramKey id) const;
    std::string GetText(ProgramKey id) const;  // the value's text form

    // Setters return false for an unknown id. A change moves modified to now.
    bool SetString(ProgramKey id, const std::string& text);
    bool SetInt(ProgramKey id, int value);  // bool keys too
    bool SetDate(ProgramKey id, OleDate date);

    // Converts text by the key's type ("yes" for true, leading integer, "%c" date)
    // and stores it without touching modified. False for an unknown id.
    bool SetFromText(ProgramKey id, const std::string& text);

    // Converts text as SetFromText does, then stores it through the setter of the
    // key's type, so a change moves modified. False for an unknown id.
    bool SetText(ProgramKey id, const std::string& text);

    // Empties every value, photo keys to their standard values; modified stays.
    void Clear();

    // True for a photo key whose value is its standard one: it is neither written nor
    // summarised.
    bool AtStandard(const KeyDescriptor& row) const;

    // Clear, then the values of a new program.
    void ApplyDefaults();

    // The summary: keys under their section headings, CR LF line ends.
    void Describe(std::string& text) const;

    bool HasBeenGenerated() const;
    bool EditedSinceGenerated() const;

    // Reads path over the defaults; lines may end in CR LF, LF or CR. Fails when it cannot
    // be opened (the text's first line names the file, the rest says why) or when the user
    // cancels at an unexpected keyword (the text names the keyword and its line).
    Result Load(const std::string& path);

    // Writes every key to path, replacing the file only once all is written, under the
    // program-file lock (program_file_lock.h). A file that holds text but no key of a
    // program is never replaced. A failure's first line names the file; after it comes the
    // step that failed and the system's reason.
    Result Save(const std::string& path);

    // Writes Last-Generated alone into the file at path as it is on disk, under the same
    // lock, so that what others changed in it meanwhile stays: the line that sets it is
    // replaced (or one is added), every other line is kept byte for byte, and the file is
    // replaced as Save replaces it, or not at all when it already holds that value. Fails
    // as Save and Load do when the file cannot be read or written, or holds text but no
    // key of a program.
    Result SaveLastGenerated(const std::string& path);

    // Ok when the program may be generated; else a failure whose text has one line per
    // failed check.
    Result Validate() const;

  private:
    struct Slot {
        std::int32_t number = 0;
        OleDate date = 0;
        std::optional<std::string> text;  // absent reads as ""
    };

    Slot* Find(ProgramKey id);
    const Slot* Find(ProgramKey id) const;

    std::array<Slot, kProgramKeyCount> values{};
};
