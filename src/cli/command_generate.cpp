#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/cli.h"
#include "cli/command_options.h"
#include "cli/console_progress.h"
#include "cli/interrupt.h"
#include "generate/generation_worker.h"
#include "work/worker_messages.h"

namespace {

// Runs the generation on a worker thread of its own, as the main window does. Ctrl-C and
// SIGTERM are kept off that thread (and the threads it starts), so that they reach the
// interrupt handler on this one and never break off a question the run is asking: like
// "Stop!", the stop takes effect at the run's next check.
int RunOnWorkerThread(const GenerationRequest& request) {
    sigset_t signals;
    sigset_t previous;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    int outcome = kRunFailed;
    std::thread worker([&request, &outcome] { outcome = GenerationWorker(request); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    worker.join();
    return outcome;
}

struct GenerateArguments {
    std::string program;
    int jobs = 0;  // one per core
    bool quiet = false;
};

// Reads PROGRAM.mav, --jobs N and --quiet; an empty text when they are fine.
std::string ParseArguments(const CommandLine& line, GenerateArguments& parsed) {
    CommandOptions options;
    std::string problem;
    if (!ParseCommandOptions(line.arguments, {"--jobs"}, {"--quiet"}, options, problem)) {
        return problem;
    }
    if (options.positional.size() != 1) {
        return options.positional.empty() ? "no program named" : "too many arguments";
    }
    parsed.program = options.positional[0];
    parsed.quiet = options.flags.count("--quiet") != 0;
    if (options.Has("--jobs")) {
        const std::string& value = options.values["--jobs"];
        char* end = nullptr;
        const long jobs = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || jobs < 1 || jobs > 256) {
            return "--jobs takes a number from 1 to 256, not '" + value + "'";
        }
        parsed.jobs = static_cast<int>(jobs);
    }
    return {};
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
    if (const Result valid = program.Validate(); !valid.ok()) {
        std::fprintf(stderr,
                     "Cannot generate!\n\nThis is not a valid Mavren program because:\n\n%s",
                     valid.text().c_str());
        return kExitInvalid;
    }
    int outcome = kRunFailed;
    GenerationSummary summary;
    {
        ConsoleJobDisplay display(arguments.quiet);
        GenerationRequest request;
        const ScopedInterruptFlag interrupt(request.options.stop);
        request.program = &program;
        request.options.jobs = arguments.jobs;
        request.options.summary = &summary;
        request.options.window = display.Receiver();
        outcome = RunOnWorkerThread(request);
        display.Finish();
    }
    if (outcome == kRunFinished && program.HasBeenGenerated()) {
        std::fprintf(stderr, "%s\n", SummaryLine(summary).c_str());
    }

    // What a finished or stopped run recorded is kept, as the main window keeps it; written
    // alone into the file as it is now, so that a change made meanwhile (a set) stays.
    if (outcome == kRunFinished) {
        if (const Result saved = program.SaveLastGenerated(program.path); !saved.ok()) {
            std::fprintf(stderr, "%s\n", saved.text().c_str());
        }
    }
    if (outcome == kRunFailed) {
        return kExitFileError;
    }
    if (outcome != kRunFinished) {
        return outcome;
    }
    if (!program.HasBeenGenerated()) {
        return kExitInterrupted;  // the run was stopped
    }
    std::error_code error;
    const std::filesystem::path start = std::filesystem::absolute(LastStartPage(), error);
    std::printf("%s\n", error ? LastStartPage().c_str() : start.c_str());
    return kExitOk;
}
