#pragma once

// The folder and file pickers of the property pages and the wizard, with their titles,
// file patterns and the settings values that remember the last choice. GUI thread only.

#include <string>

class QWidget;

struct FolderPick {
    const char* title;
    const char* patterns;       // files the preview line lists; "" for none
    const char* registryValue;  // under the application key
};

inline constexpr FolderPick kSourceFolderPick{"Locate the Source Directory", "*.jpg;*.png;*.gif",
                                              "LastSourceDir"};
inline constexpr FolderPick kTargetFolderPick{"Locate the Target Directory", "", "LastTargetDir"};
// The program folder previews the programs already in it, not pictures.
inline constexpr FolderPick kProgramFolderPick{"Locate the Program Directory", "*.mav",
                                               "LastProgDir"};
inline constexpr FolderPick kGifFolderPick{"Locate the GIF Thumbnail Directory", "*.gif",
                                           "LastGifDir"};

// The folder last chosen with this picker, or empty.
std::string RememberedFolder(const FolderPick& pick);

// Shows the folder picker over owner, starting at initialFolder. When the user chooses a
// folder it goes to chosen and is remembered, and the result is true.
bool PickFolder(QWidget* owner, const FolderPick& pick, const std::string& initialFolder,
                std::string& chosen);

// PickFolder starting at the folder in answer when there is one, else at the remembered
// folder; a chosen folder replaces answer.
bool PickFolderFrom(QWidget* owner, const FolderPick& pick, std::string& answer);

// Asks for an HTML boilerplate file, starting at currentPath's folder when it is set, else
// at the folder remembered as "LastBoilerplateDir", else in the installed themes folder. A file
// that is not a boilerplate file is refused with the reason; a taken file's folder is remembered.
// True with chosen set when a file was taken.
bool PickBoilerplateFile(QWidget* owner, const std::string& currentPath, std::string& chosen);

// Asks for a background image. True with chosen set when the user picked one.
bool PickBackgroundImage(QWidget* owner, std::string& chosen);
