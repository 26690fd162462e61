#pragma once

// Themes: ready-made pairs of boilerplate files that give a site a phone-friendly look.
// They are installed in the folder "themes" beside the programs, one folder a theme
// holding "index.htm", "content.htm" and "theme.txt" (a one-line description). A
// program takes a theme through its two boilerplate keys alone: the theme's files are
// copied into a folder beside the program file, "<program name>-theme", and both keys
// point at the copies, so the program keeps working wherever Mavren is installed and its
// look can be edited. A failure's text is what the front end shows in a stop box; a
// failure with no text is a No to a question of ChooseTheme, which needs no word. No
// shared state.

#include <string>
#include <vector>

#include "document/program.h"
#include "platform/result.h"

// The theme name that takes a program back to the classic pages.
inline constexpr char kNoTheme[] = "none";

inline constexpr char kThemeIndexFile[] = "index.htm";
inline constexpr char kThemeContentFile[] = "content.htm";
inline constexpr char kThemeDescriptionFile[] = "theme.txt";

struct Theme {
    std::string name;         // the folder's name: "gallery"
    std::string description;  // the first line of theme.txt
    std::string folder;       // where its files are, without a trailing "/"
};

// The folder the themes are installed in: "themes" in the programs' own folder.
std::string ThemesFolder();

// The installed themes by name: the folders in ThemesFolder() that hold both boilerplate
// files. Empty when there are none.
std::vector<Theme> InstalledThemes();

// The installed theme of that name. False when there is none.
bool FindTheme(const std::string& name, Theme& theme);

// The folder beside the program file that holds the program's copy of its theme:
// /sites/Trip.mav gives /sites/Trip-theme (made absolute).
std::string ProgramThemeFolder(const std::string& programPath);

// What choosing a theme for a program takes: the theme, the folder of the program's
// copies (empty for kNoTheme) and the theme's files to copy there.
struct ThemeChoice {
    Theme theme;
    std::string folder;
    std::vector<std::string> files;
};

// Decides what choosing the theme name for the program at programPath copies, writing
// nothing. A copy already there is replaced only when it is a copy of some installed
// theme's file; otherwise the user is asked first. Fails when there is no such theme,
// or with no text when the user answers No: then nothing is to change.
Result ChooseTheme(const std::string& programPath, const std::string& name, ThemeChoice& choice);

// Copies the chosen files and points Index-Boilerplate and Content-Boilerplate at the
// copies; the choice of kNoTheme empties both keys and copies nothing. Asks nothing and
// does not save the program. Fails, with the keys unchanged, when a copy cannot be made.
Result CopyChosenTheme(const ThemeChoice& choice, Program& program);

// ChooseTheme, then CopyChosenTheme.
Result ApplyTheme(Program& program, const std::string& programPath, const std::string& name);
