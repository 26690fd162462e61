#pragma once

// The files a boilerplate names beside itself with the tag "<MAVREN-FILE:NAME>" (its style
// sheet, its scripts): each is copied once into the folder "Theme" at the top of the site,
// named with a short digest of its bytes before the extension ("theme.3f9a1c2b.css"), so
// that browsers may keep it for a year and a new version gets a new name. The tag becomes
// the copy's address from the page's folder. One ThemeFiles per folder run, used on the
// generation worker thread.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/result.h"

// The folder of the copies, at the top of the site.
inline constexpr char kThemeCopiesFolder[] = "Theme";

// The names of the files text names with the tag, in order of first appearance.
std::vector<std::string> ThemeFileNames(const std::string& text);

// The copy's name of the file called name with those bytes: "theme.css" gives
// "theme.3f9a1c2b.css", "LICENSE" gives "LICENSE.3f9a1c2b".
std::string ThemeCopyName(const std::string& name, const std::string& bytes);

class ThemeFiles {
  public:
    // siteTop: the site's top folder; depth: how many folders below it the pages are.
    ThemeFiles(std::string siteTop, std::size_t depth);

    // Replaces every tag of text, the boilerplate at the path, by the address of its
    // copy, copying the file first unless the copy is there with its bytes already. On
    // failure text is unchanged and the failure's text names the file.
    Result ReplaceTags(std::string& text, const std::string& boilerplate);

    // The copies this object made or found, relative to the site's top: "Theme/...".
    std::vector<std::string> Copies() const;

  private:
    Result Copy(const std::string& source, const std::string& boilerplate, std::string& copy);

    std::string top;
    std::string up;                             // "../" once a level
    std::map<std::string, std::string> copies;  // source path -> "Theme/<copy name>"
};
