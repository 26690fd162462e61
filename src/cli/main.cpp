// mavren-cli: Mavren's work without windows, for scripts, servers and terminals.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/cli.h"
#include "mavren_version.h"
#include "platform/app_folders.h"
#include "platform/message_box.h"

namespace {

void PrintProgramHelp() {
    std::printf(
        "Mavren turns a folder of pictures, text files or HTML files into a small web site.\n"
        "\n"
        "usage: mavren-cli COMMAND [ARGUMENTS] [--yes|--no]\n"
        "       mavren-cli --help | --version\n"
        "\n"
        "Commands:\n");
    for (const Command& command : Commands()) {
        std::printf("  %-10s %s\n", command.name, command.summary);
    }
    std::printf(
        "\n"
        "Questions are asked at the terminal and take y or n; without a terminal, --yes\n"
        "answers y and --no, the default, answers n.\n"
        "Run 'mavren-cli COMMAND --help' for a command's own options.\n");
}

void PrintCommandHelp(const Command& command) {
    std::printf("usage: %s\n\n%s", command.usage, command.help);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: mavren-cli COMMAND [ARGUMENTS]  (try mavren-cli --help)\n");
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintProgramHelp();
        return kExitOk;
    }
    if (name == "--version") {
        std::printf("mavren-cli %s\n%s\n", kMavrenVersion, kMavrenLicence);
        return kExitOk;
    }
    const Command* command = nullptr;
    for (const Command& candidate : Commands()) {
        if (name == candidate.name) {
            command = &candidate;
        }
    }
    if (command == nullptr) {
        std::fprintf(stderr, "mavren-cli: unknown command '%s'  (try mavren-cli --help)\n",
                     name.c_str());
        return kExitUsage;
    }

    CommandLine line;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            PrintCommandHelp(*command);
            return kExitOk;
        } else if (!optionsEnded && argument == "--yes") {
            line.policy = AnswerPolicy::AlwaysYes;
        } else if (!optionsEnded && argument == "--no") {
            line.policy = AnswerPolicy::AlwaysNo;
        } else {
            line.arguments.push_back(argument);
        }
    }
    SetFoldersFromExecutable();
    SetMessageBoxBackend(std::make_shared<TerminalMessageBox>(line.policy));
    return command->run(line);
}
