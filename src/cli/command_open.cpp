#include <cstdio>
#include <memory>

#include "cli/cli.h"
#include "cli/terminal_browser_chooser.h"
#include "platform/open_url.h"
#include "platform/registry_store.h"

int RunOpen(const CommandLine& line) {
    const Command& command = FindCommand("open");
    if (line.arguments.size() != 1) {
        return UsageError(command,
                          line.arguments.empty() ? "nothing to open" : "too many arguments");
    }
    // The browser to use is a setting.
    if (!CheckSettings()) {
        return kExitFileError;
    }
    SetBrowserChooser(std::make_shared<TerminalBrowserChooser>());
    return OpenUrlAndWait(line.arguments[0]) ? kExitOk : kExitFileError;
}
