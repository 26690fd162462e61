#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/cli.h"
#include "cli/console_progress.h"
#include "generate/generation_worker.h"
#include "generate/worker_messages.h"
#include "media/imaging.h"
#include "platform/message_box.h"

namespace {

constexpr int kExitStopped = 130;  // as a shell reports a program ended by Ctrl-C

void RequestStop(int) {
    StopRequested.store(1);
}

// Ctrl-C asks the run to stop, as "Stop!" does; a second Ctrl-C ends the program at once.
class StopOnInterrupt {
  public:
    StopOnInterrupt() {
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigaction(SIGINT, &action, &previous);
    }
    ~StopOnInterrupt() { sigaction(SIGINT, &previous, nullptr); }
    StopOnInterrupt(const StopOnInterrupt&) = delete;
    StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

  private:
    struct sigaction previous {};
};

struct GenerateArguments {
    std::string program;
    int jobs = 0;
    bool quiet = false;
};

// Reads PROGRAM.mav, --jobs N and --quiet; an empty text when they are fine.
std::string ParseArguments(const CommandLine& line, GenerateArguments& parsed) {
    const auto& arguments = line.arguments;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--quiet" || argument == "-q") {
            parsed.quiet = true;
        } else if (argument == "--jobs" || argument == "-j") {
            if (i + 1 == arguments.size()) {
                return "--jobs needs a number";
            }
            const std::string& value = arguments[++i];
            char* end = nullptr;
            const long jobs = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || jobs < 1 || jobs > 256) {
                return "--jobs takes a number from 1 to 256, not '" + value + "'";
            }
            parsed.jobs = static_cast<int>(jobs);
        } else if (!parsed.program.empty()) {
            return "too many arguments";
        } else {
            parsed.program = argument;
        }
    }
    return parsed.program.empty() ? "no program named" : "";
}

}  // namespace

int RunGenerate(const CommandLine& line) {
    const Command& command = FindCommand("generate");
    GenerateArguments arguments;
    if (const std::string problem = ParseArguments(line, arguments); !problem.empty()) {
        return UsageError(command, problem);
    }
    Program program;
    if (!LoadProgramOrReport(program, arguments.program)) {
        return kExitFileError;
    }
    std::string reasons;
    if (!program.Validate(reasons)) {
        std::fprintf(stderr,
                     "Cannot generate!\n\nThis is not a valid Mavren program because:\n\n%s",
                     reasons.c_str());
        return kExitInvalid;
    }
    InitImaging();

    const ConsoleStyle style = arguments.quiet              ? ConsoleStyle::Quiet
                               : ::isatty(::fileno(stdout)) ? ConsoleStyle::Bar
                                                            : ConsoleStyle::Lines;
    auto display = std::make_shared<ConsoleProgress>(style, stdout);
    const auto boxes = std::make_shared<ConsoleMessageBox>(SetMessageBoxBackend(nullptr), *display);
    const auto previousBoxes = SetMessageBoxBackend(boxes);
    const auto previousWindow = SetMainWindow(display);

    int outcome = kRunFailed;
    {
        StopOnInterrupt interrupt;
        StopRequested.store(0);
        GenerationRequest request;
        request.program = &program;
        request.options.jobs = arguments.jobs;
        std::thread worker([&request, &outcome] { outcome = GenerationWorker(request); });
        display->ShowUntilWorkDone();
        worker.join();
    }
    SetMainWindow(previousWindow);
    SetMessageBoxBackend(previousBoxes);

    // What the run recorded (Last-Generated) is kept, as the main window keeps it.
    if (!program.Save(program.path)) {
        std::fprintf(stderr, "%s\n", program.lastError.c_str());
    }
    if (outcome == kRunFailed) {
        return kExitFileError;
    }
    if (outcome != kRunFinished) {
        return outcome;
    }
    if (!program.HasBeenGenerated()) {
        return kExitStopped;
    }
    std::error_code error;
    const std::filesystem::path start = std::filesystem::absolute(LastStartPage(), error);
    std::printf("%s\n", error ? LastStartPage().c_str() : start.c_str());
    return kExitOk;
}
