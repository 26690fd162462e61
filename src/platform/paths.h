#pragma once

// Splitting and joining paths, and replacing text. The separator is "/".
// A path splits into folder (up to and including the last "/"), extension (from the
// last dot of what follows, dot included) and name (the rest). Pure functions.

#include <string>
#include <string_view>
#include <vector>

// The folder, a "/" unless the folder is empty or already ends in one, then the name.
std::string JoinPath(std::string_view folder, std::string_view name);

// Name and extension: "/site/a.jpg" gives "a.jpg".
std::string PathFileName(std::string_view path);

// Extension without its dot, upper case: "a.jpg" gives "JPG"; no extension gives "".
std::string PathExtension(std::string_view path);

// Folder part without its trailing "/": "/site/pics/a.jpg" gives "/site/pics";
// "a.jpg" and "/a.jpg" give "".
std::string PathFolder(std::string_view path);

// The parts of a "/"-separated path, empty parts and "." left out and each ".." taking
// back the part before it: "a/./b/../c" gives {"a", "c"}. False when a ".." goes above the
// path's start (it then takes nothing back).
bool PathParts(std::string_view path, std::vector<std::string>& parts);

// Every occurrence of pattern (not empty) replaced, left to right, case-sensitive and
// without overlaps: the replacement text is never searched again.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);
