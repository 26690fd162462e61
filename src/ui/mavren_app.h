#pragma once

// The desktop program's start and end: the Forget request, a word on a damaged settings
// file, the application folders, the program file type, the imaging library and the
// Internet session, then the main window, run modally for the life of the process.
// Start-up owns the main window; the folders and the session it sets up are read by the
// other windows and workers. GUI thread; one instance per process, made after the
// QApplication.

#include <QStringList>
#include <string>

// The program named by the command line (arguments with the program's own name first):
// the first argument when its extension is "mav" in any letter case, else empty.
std::string CommandLineProgramPath(const QStringList& arguments);

class CMavrenApp {
  public:
    // The start sequence and the main window. Returns the process's exit status once the
    // main window has closed.
    int InitInstance(const QStringList& arguments);

    // Lets go of the Internet session.
    void ExitInstance();
};
