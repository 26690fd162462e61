#include <cstdio>

#include "cli/cli.h"
#include "document/program_file_lock.h"
#include "generate/themes.h"
#include "platform/message_box.h"

namespace {

void ListThemes(std::FILE* out) {
    for (const Theme& theme : InstalledThemes()) {
        std::fprintf(out, "  %-10s %s\n", theme.name.c_str(), theme.description.c_str());
    }
    std::fprintf(out, "  %-10s %s\n", kNoTheme, "the classic pages, without a theme");
}

// True when the theme step is done; otherwise shows why in a stop box, unless the user
// said No to a question and there is nothing to tell.
bool Done(const Result& step) {
    if (!step.ok() && !step.text().empty()) {
        ShowMessageBox(step.text(), MB_OK | MB_ICONSTOP);
    }
    return step.ok();
}

}  // namespace

int RunThemes(const CommandLine& line) {
    const Command& command = FindCommand("themes");
    if (!line.arguments.empty()) {
        return UsageError(command, "unexpected argument '" + line.arguments[0] + "'");
    }
    if (InstalledThemes().empty()) {
        std::fprintf(stderr, "mavren-cli themes: no themes are installed in %s.\n",
                     ThemesFolder().c_str());
        return kExitFileError;
    }
    ListThemes(stdout);
    return kExitOk;
}

int CheckThemeName(const Command& command, const std::string& name) {
    Theme theme;
    if (name == kNoTheme || FindTheme(name, theme)) {
        return kExitOk;
    }
    std::fprintf(stderr, "mavren-cli %s: there is no theme called '%s'; the themes are:\n",
                 command.name, name.c_str());
    ListThemes(stderr);
    return kExitUsage;
}

int ApplyThemeAndSave(Program& program, const std::string& path, const std::string& name) {
    if (!Done(ApplyTheme(program, path, name))) {
        return kExitFileError;
    }
    if (const Result saved = program.Save(path); !saved.ok()) {
        std::fprintf(stderr, "%s\n", saved.text().c_str());
        return kExitFileError;
    }
    return kExitOk;
}

int RunTheme(const CommandLine& line) {
    const Command& command = FindCommand("theme");
    if (line.arguments.size() != 2) {
        return UsageError(command, line.arguments.size() < 2 ? "a program and a theme are needed"
                                                             : "too many arguments");
    }
    const std::string& path = line.arguments[0];
    const std::string& name = line.arguments[1];
    if (const int status = CheckThemeName(command, name); status != kExitOk) {
        return status;
    }
    // The questions come before the lock, so that no save elsewhere waits for an answer;
    // a No changes nothing.
    ThemeChoice choice;
    if (!Done(ChooseTheme(path, name, choice))) {
        return kExitFileError;
    }
    const ProgramFileLock lock(path);
    Program program;
    if (!LoadProgramOrReport(program, path) || !Done(CopyChosenTheme(choice, program))) {
        return kExitFileError;
    }
    if (const Result saved = program.Save(path); !saved.ok()) {
        std::fprintf(stderr, "%s\n", saved.text().c_str());
        return kExitFileError;
    }
    for (const ProgramKey key : {ProgramKey::IndexBoilerplate, ProgramKey::ContentBoilerplate}) {
        std::printf("%s = %s\n", std::string(FindKey(key)->name).c_str(),
                    program.GetText(key).c_str());
    }
    return kExitOk;
}
