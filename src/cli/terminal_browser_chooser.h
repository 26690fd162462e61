#pragma once

// Picking a browser program at the terminal, for mavren-cli: the user types a path or a
// program name on PATH; empty input cancels. Without a terminal nothing is asked and the
// pick is cancelled. One question at a time, from any thread.

#include <cstdio>
#include <string>

#include "platform/expected.h"
#include "platform/mutex.h"
#include "platform/open_url.h"

// The full path of the program that typed names: a text holding "/" is a path (relative
// to the current folder, "~/" meaning the home folder), anything else is searched on
// PATH. Fails when it is not an executable file, with a text that says why: a name found
// nowhere on the search path has kind NotFound, a path the kind of its errno value.
Expected<std::string> FindBrowserProgram(const std::string& typed);

class TerminalBrowserChooser : public BrowserChooser {
  public:
    // Asks on in and err; interactive says whether in is a terminal someone types at.
    TerminalBrowserChooser(std::FILE* in, std::FILE* err, bool interactive);
    // Standard input and error, interactive when standard input is a terminal.
    TerminalBrowserChooser();

    std::string ChooseBrowser() override;
    // Tells of it as any failed settings write is told (TellSettingsWriteFailure).
    void PickNotStored(const Result& stored) override;

  private:
    Mutex mutex;  // one question at a time
    std::FILE* in GUARDED_BY(mutex);
    std::FILE* err GUARDED_BY(mutex);
    bool interactive;
};
