#pragma once

// Descriptions of files as a folder's "descript.ion" holds them: one line per file, the
// file name (in double quotes when it holds blanks), a blank, and the description.
// Names match ignoring letter case. Read once, then only looked up: safe to share
// between threads once loaded.

#include <map>
#include <string>

class FileDescriptions {
  public:
    // Reads the description file of folder (its name matched ignoring case). A folder
    // without one, or one that cannot be read, gives no descriptions.
    void Load(const std::string& folder);

    // Reads descriptions from the text of a description file.
    void Parse(const std::string& text);

    // The description of the file called name, or empty.
    std::string Find(const std::string& name) const;

  private:
    std::map<std::string, std::string> byName;  // keyed by the lower-case name
};
