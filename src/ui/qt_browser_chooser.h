#pragma once

// Picking a browser program in the desktop program: a file dialog for an existing file,
// shown on the GUI thread. OpenUrl asks from a thread of its own, which then waits for
// the user's answer; asked on the GUI thread, the dialog runs at once.

#include <string>

#include "platform/open_url.h"

class QtBrowserChooser : public BrowserChooser {
  public:
    std::string ChooseBrowser() override;
    // Tells of it in the OK box of a failed settings write (TellSettingsWriteFailure).
    void PickNotStored(const Result& stored) override;
};

// The dialog itself, on the GUI thread: the chosen program's path, or empty.
std::string ChooseBrowserProgram();
