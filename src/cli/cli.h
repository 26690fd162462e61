#pragma once

// Shared pieces of mavren-cli: exit codes, the command table, argument helpers.

#include <string>
#include <vector>

#include "cli/terminal_message_box.h"
#include "document/program.h"
#include "platform/result.h"
#include "work/settings_failures.h"

// Exit statuses shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFileError = 1;  // a file could not be read or written
constexpr int kExitUsage = 2;      // wrong arguments
constexpr int kExitInvalid = 4;    // the program is not valid

struct CommandLine {
    std::vector<std::string> arguments;  // what follows the command name, options removed
    AnswerPolicy policy = AnswerPolicy::Ask;
};

struct Command {
    const char* name;
    const char* usage;    // one line: "mavren-cli show PROGRAM.mav"
    const char* summary;  // one line for the command list
    const char* help;     // paragraphs for "COMMAND --help"
    int (*run)(const CommandLine& line);
};

const std::vector<Command>& Commands();

// The command of that name; the table must hold it.
const Command& FindCommand(const char* name);

// Prints "usage: ..." and a hint to standard error; returns kExitUsage.
int UsageError(const Command& command, const std::string& problem);

// Loads a program, printing why it could not be loaded. Questions about unexpected
// keywords go through the installed message boxes.
bool LoadProgramOrReport(Program& program, const std::string& path);

// For commands whose one argument is a program: loads it. Returns kExitOk when loaded,
// else the exit status (usage or file error) after saying what went wrong.
int LoadProgramArgument(const Command& command, const CommandLine& line, Program& program);

// Text with CR LF line ends as the terminal wants it.
std::string WithNewlines(const std::string& text);

// The folder as an absolute path without "." and ".." steps or a trailing "/", the form
// programs store their folders in.
std::string AbsoluteFolder(const std::string& folder);

int RunShow(const CommandLine& line);
int RunValidate(const CommandLine& line);
int RunSet(const CommandLine& line);
int RunGenerate(const CommandLine& line);
int RunNew(const CommandLine& line);
int RunOpen(const CommandLine& line);
int RunUploadCommand(const CommandLine& line);
int RunProfileCommand(const CommandLine& line);
int RunThemes(const CommandLine& line);
int RunTheme(const CommandLine& line);

// kExitOk when name is an installed theme or "none"; otherwise says so, lists the
// themes and returns kExitUsage.
int CheckThemeName(const Command& command, const std::string& name);

// Applies the theme to the program (copying its files beside the program file) and saves
// the program at path. kExitOk, or kExitFileError after saying what went wrong.
int ApplyThemeAndSave(Program& program, const std::string& path, const std::string& name);
