#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "cli/cli.h"
#include "platform/paths.h"

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"show", "mavren-cli show PROGRAM.mav", "print the summary of a program",
         "Prints the settings of the program, section by section, as the main window\n"
         "shows them.\n",
         RunShow},
        {"validate", "mavren-cli validate PROGRAM.mav", "check whether a program can be generated",
         "Prints why the program cannot be generated, one reason a line.\n"
         "Exit status 0 when it is valid, 4 when it is not.\n",
         RunValidate},
        {"set", "mavren-cli set PROGRAM.mav KEY=VALUE ...", "change settings of a program",
         "Sets each KEY (a key name as in the program file, in any letter case) to VALUE\n"
         "and saves the program. Yes/No keys take Yes or No, number keys a number, dates\n"
         "the form MM/DD/YY HH:MM:SS or Never. Nothing is saved when a key is unknown.\n"
         "\n"
         "example: mavren-cli set trip.mav Thumbnail-Size=150 \"Index-Page-Title=My trip\"\n",
         RunSet},
        {"generate", "mavren-cli generate PROGRAM.mav [--jobs N] [--quiet] [--yes|--no]",
         "generate the site of a program",
         "Makes the site the program describes: copies the pictures into the target\n"
         "folder, makes the thumbnails and writes the index and content pages, then\n"
         "removes the pages and thumbnails earlier runs wrote that the site no longer\n"
         "has. Shows the progress (a bar on a terminal, plain lines otherwise; only\n"
         "messages with --quiet) and ends with a line of what was done, stores when the\n"
         "site was generated in the program and prints the path of the start page.\n"
         "\n"
         "  --jobs N   make thumbnails on N threads (default: one per core)\n"
         "  --quiet    show nothing but messages, the closing line and the start page\n"
         "\n"
         "Ctrl-C stops the run as the Stop button does; a second Ctrl-C quits at once.\n"
         "Exit status: 0 generated, 1 ended after a message (a failed copy or page, or\n"
         "No to a question), 2 no source files, 3 no thumbnail folder, 4 not a valid\n"
         "program, 130 stopped.\n",
         RunGenerate},
        {"new",
         "mavren-cli new --source DIR [--type images|text|html] [--target DIR] [--folder DIR] "
         "[--name NAME] [--theme NAME]",
         "make a new program for a folder",
         "Makes a program from the default program for the source folder and prints its\n"
         "path. The site goes to --target and the program file to --folder (both the\n"
         "source folder unless given); a missing target folder is made after asking.\n"
         "The name is the folder's own name (trip.mav, then trip00.mav, trip01.mav ...)\n"
         "unless --name gives one. An existing program file is never replaced.\n"
         "\n"
         "  --type     the kind of source files: images (*.jpg;*.jpeg;*.png;*.gif,\n"
         "             the default), text (*.txt) or html (*.htm;*.html)\n"
         "  --theme    the look of the pages (see mavren-cli themes; default none)\n",
         RunNew},
        {"themes", "mavren-cli themes", "list the installed themes",
         "Lists the installed themes, one a line with what it looks like. A theme gives\n"
         "the pages a look that works on phones and large screens alike; apply one\n"
         "with 'mavren-cli theme' or 'mavren-cli new --theme'.\n",
         RunThemes},
        {"theme", "mavren-cli theme PROGRAM.mav NAME", "give a program's pages a theme",
         "Copies the files of the theme NAME into the folder beside the program named\n"
         "after it (trip.mav: trip-theme) and points Index-Boilerplate and\n"
         "Content-Boilerplate at the copies, which you may edit. A copy you changed is\n"
         "replaced only when you answer Yes (or give --yes). NAME none empties both\n"
         "keys: the classic pages. Generate the site again to see the new look.\n",
         RunTheme},
        {"open", "mavren-cli open URL|FILE", "open a page in the browser",
         "Opens the URL or file in the browser Mavren uses for Test and Help: the\n"
         "program stored as URLHandler, or the desktop's default through xdg-open.\n"
         "When it cannot be started you are asked whether to locate another browser;\n"
         "the program you name is remembered for next time.\n"
         "Exit status 0 when the browser started, 1 when it did not.\n",
         RunOpen},
        {"upload", "mavren-cli upload PROGRAM.mav [--profile NAME] [--yes|--no]",
         "upload the program's target folder over FTP",
         "Sends the program's target folder, with its subfolders, to the FTP server of\n"
         "the profile NAME (see mavren-cli profile), into the profile's directory.\n"
         "Files whose copy on the server has the same size and is not older are\n"
         "skipped. Without --profile the profile used last is taken.\n"
         "\n"
         "A missing remote directory is created when you answer Yes (or give --yes).\n"
         "Progress goes to standard error, as a bar on a terminal. Ctrl-C stops the\n"
         "upload after the current block; a second Ctrl-C ends it at once.\n"
         "Exit status 0 when the upload finished, 1 when it ended with an error,\n"
         "130 when it was stopped.\n",
         RunUploadCommand},
        {"profile", "mavren-cli profile list|add|edit|delete [NAME] [OPTIONS]",
         "list, add, change or delete FTP profiles",
         "  profile list\n"
         "      names, hosts, user names and directories (never passwords)\n"
         "  profile add NAME --host HOST --user USER [--password PASSWORD |\n"
         "                   --password-stdin] [--directory DIRECTORY]\n"
         "  profile edit NAME [--name NEW-NAME] [--host HOST] [--user USER]\n"
         "                   [--password PASSWORD | --password-stdin] [--directory DIRECTORY]\n"
         "  profile delete NAME      (asks first; --yes answers for you)\n"
         "\n"
         "HOST may name a port: ftp.example.com:2121. DIRECTORY is the folder on the\n"
         "server to upload into; empty for the folder you log in to. --password-stdin\n"
         "reads the password from the first line of standard input, so it does not show\n"
         "in the list of processes. At most 3 profiles can be kept.\n",
         RunProfileCommand},
    };
    return commands;
}

const Command& FindCommand(const char* name) {
    for (const Command& command : Commands()) {
        if (std::string_view(command.name) == name) {
            return command;
        }
    }
    std::abort();  // a command the table lacks is a programming error
}

int UsageError(const Command& command, const std::string& problem) {
    if (!problem.empty()) {
        std::fprintf(stderr, "mavren-cli %s: %s\n", command.name, problem.c_str());
    }
    std::fprintf(stderr, "usage: %s  (try mavren-cli %s --help)\n", command.usage, command.name);
    return kExitUsage;
}

bool LoadProgramOrReport(Program& program, const std::string& path) {
    if (program.Load(path)) {
        return true;
    }
    std::fprintf(stderr, "%s\n", program.lastError.c_str());
    return false;
}

int LoadProgramArgument(const Command& command, const CommandLine& line, Program& program) {
    if (line.arguments.size() != 1) {
        return UsageError(command,
                          line.arguments.empty() ? "no program named" : "too many arguments");
    }
    return LoadProgramOrReport(program, line.arguments[0]) ? kExitOk : kExitFileError;
}

std::string WithNewlines(const std::string& text) {
    return ReplaceAll(text, "\r\n", "\n");
}
