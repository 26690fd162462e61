#pragma once

// The folder picker: a folder dialog with its title and initial folder, and under it a
// line that shows which matching files the selected folder holds while the user moves
// through the folders. The line is there when an initial folder or patterns are set.
// GUI thread only.

#include <string>

class QWidget;

class FolderBrowser {
  public:
    void SetTitle(const std::string& title);

    // Shows the picker over owner; initialFolder (may be empty) is selected at first;
    // patterns are ";"-separated file patterns for the preview line, kept from an
    // earlier call when empty. True when the user chose a folder.
    bool Browse(QWidget* owner, const std::string& initialFolder, const std::string& patterns);

    // The chosen folder.
    std::string GetPath() const { return path; }

  private:
    std::string title;
    std::string path;
    std::string initialFolder;
    std::string previewText;
    std::string patterns;
};
