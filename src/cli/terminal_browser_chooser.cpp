#include "cli/terminal_browser_chooser.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"
#include "work/settings_failures.h"

namespace {

// Ok when path is an executable file, else why not: "\"<path>\": <errno description>".
Result ExecutableFile(const std::string& path) {
    int error = 0;
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
    } else if (::access(path.c_str(), X_OK) != 0) {
        error = EACCES;
    } else {
        return Result::Ok();
    }
    return Result::FromErrno("run", path, error)
        .WithText("\"" + path + "\": " + ErrorCodeText(error));
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

}  // namespace

Expected<std::string> FindBrowserProgram(const std::string& typed) {
    if (typed.find('/') == std::string::npos) {
        const char* searchPath = std::getenv("PATH");
        const std::string folders = searchPath != nullptr ? searchPath : "/usr/bin:/bin";
        std::size_t start = 0;
        for (;;) {
            const std::size_t colon = folders.find(':', start);
            const std::string folder = folders.substr(start, colon - start);
            // Only absolute folders: the stored path must not depend on where we ran.
            if (folder.starts_with('/') && ExecutableFile(JoinPath(folder, typed)).ok()) {
                return JoinPath(folder, typed);
            }
            if (colon == std::string::npos) {
                break;
            }
            start = colon + 1;
        }
        return Result::Failure("No program \"" + typed + "\" was found on the search path.",
                               Result::Kind::NotFound);
    }
    std::string path = typed;
    if (path.starts_with("~/")) {
        path = JoinPath(HomeFolder(), path.substr(2));
    } else if (path.front() != '/') {
        path = JoinPath(CurrentFolder(), path);
    }
    if (Result executable = ExecutableFile(path); !executable.ok()) {
        return executable;
    }
    return path;
}

TerminalBrowserChooser::TerminalBrowserChooser(std::FILE* in, std::FILE* err, bool interactive)
    : in(in), err(err), interactive(interactive) {}

TerminalBrowserChooser::TerminalBrowserChooser()
    : TerminalBrowserChooser(stdin, stderr, ::isatty(STDIN_FILENO) != 0) {}

std::string TerminalBrowserChooser::ChooseBrowser() {
    MutexLock lock(mutex);
    if (!interactive) {
        std::fprintf(err, "(no terminal to ask for a browser program)\n");
        return {};
    }
    for (;;) {
        std::fprintf(err, "Browser program (a path or a name on PATH; empty to cancel): ");
        std::fflush(err);
        std::string line;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, in) != nullptr) {
            line += buffer;
            if (line.back() == '\n') {
                break;
            }
        }
        if (line.empty()) {
            std::fputc('\n', err);
            return {};  // end of input cancels
        }
        const std::string typed = Trimmed(line);
        if (typed.empty()) {
            return {};
        }
        Expected<std::string> path = FindBrowserProgram(typed);
        if (path.ok()) {
            return std::move(*path);
        }
        std::fprintf(err, "%s\n", path.failure().text().c_str());
    }
}

void TerminalBrowserChooser::PickNotStored(const Result& stored) {
    TellSettingsWriteFailure(stored);
}
