#include <charconv>
#include <cstdio>

#include "cli/cli.h"
#include "cli/command_options.h"
#include "cli/console_progress.h"
#include "cli/interrupt.h"
#include "cli/upload_limits.h"
#include "document/target_folder.h"
#include "generate/html_files.h"
#include "platform/message_box.h"
#include "upload/ftp_profiles.h"
#include "upload/internet_session.h"
#include "upload/remote_protocol.h"
#include "upload/upload_plan.h"
#include "upload/upload_worker.h"

namespace {

// "all", or a whole number of files.
bool ParseDeleteLimit(const std::string& text, DeleteLimit& limit) {
    if (text == "all") {
        limit.kind = DeleteLimit::Kind::None;
        return true;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, limit.count);
    limit.kind = DeleteLimit::Kind::AtMost;
    return !text.empty() && error == std::errc() && stop == end && limit.count >= 0;
}

}  // namespace

int RunUploadCommand(const CommandLine& line) {
    const Command& command = FindCommand("upload");
    CommandOptions options;
    std::string problem;
    if (!ParseCommandOptions(line.arguments,
                             {"--profile", "--max-delete", "--connections", "--limit-rate"},
                             {"--delete", "--dry-run", "--full-check"}, options, problem)) {
        return UsageError(command, problem);
    }
    // Checked now, applied over the profile's values once it is known.
    int connections = 0;
    std::int64_t rateLimit = 0;
    problem = ReadUploadLimits(options, connections, rateLimit);
    if (!problem.empty()) {
        return UsageError(command, problem);
    }
    DeleteLimit deleteLimit;
    if (options.Has("--max-delete")) {
        if (!ParseDeleteLimit(options.values["--max-delete"], deleteLimit)) {
            return UsageError(command, "--max-delete takes a number of files or all, not '" +
                                           options.values["--max-delete"] + "'");
        }
        if (options.flags.count("--delete") == 0 && options.flags.count("--dry-run") == 0) {
            return UsageError(command, "--max-delete goes with --delete or --dry-run");
        }
    }
    if (options.positional.size() != 1) {
        return UsageError(command,
                          options.positional.empty() ? "no program named" : "too many arguments");
    }
    if (!CheckSettings()) {
        return kExitFileError;  // its profiles cannot be known
    }
    Program program;
    if (!LoadProgramOrReport(program, options.positional[0])) {
        return kExitFileError;
    }

    FtpProfileList profiles;
    std::string lastProfile;
    LoadFtpProfiles(profiles, lastProfile);
    if (const std::string leftOut = LeftOutProfilesText(profiles); !leftOut.empty()) {
        ShowMessageBox(leftOut, MB_OK | MB_ICONEXCLAMATION);
    }
    const std::string name = options.Has("--profile") ? options.values["--profile"] : lastProfile;
    if (name.empty() && profiles.count == 0) {
        return UsageError(command,
                          "there is no FTP profile yet; add one with mavren-cli profile add NAME "
                          "--host HOST --user USER");
    }
    if (name.empty()) {
        return UsageError(command,
                          "no profile was used yet; name one with --profile NAME (mavren-cli "
                          "profile list shows them)");
    }
    const int index = profiles.Find(name);
    if (index < 0) {
        std::fprintf(stderr,
                     "mavren-cli upload: there is no FTP profile called '%s' "
                     "(mavren-cli profile list shows them)\n",
                     name.c_str());
        return kExitUsage;
    }
    if (!CreateSession()) {
        std::fprintf(stderr, "mavren-cli upload: the Internet session could not be set up\n");
        return kExitFileError;
    }

    const FtpProfile& profile = profiles.profiles[static_cast<std::size_t>(index)];
    const bool dryRun = options.flags.count("--dry-run") != 0;
    if (!dryRun) {
        // As the upload window does: the next upload without --profile takes this one.
        TellSettingsWriteFailure(SetLastFtpProfile(profile.name));
    }

    UploadOutcome outcome = UploadOutcome::Failed;
    bool interrupted = false;
    std::vector<PlannedAction> plan;
    {
        ConsoleJobDisplay display;
        UploadJob job =
            MakeUploadJob(profile, program.GetText(ProgramKey::TargetDir), display.Receiver());
        ReadUploadLimits(options, job.connections, job.rateLimit);
        job.fullCheck = options.flags.count("--full-check") != 0;
        job.deleteExtra = dryRun || options.flags.count("--delete") != 0;
        job.dryRun = dryRun;
        if (UploadsOnlySite(program)) {
            job.onlySite = &CarriesGeneratorMark;
        }
        job.deleteLimit = deleteLimit;
        job.limitAdvice =
            "\n\nTo delete them all the same, upload again with --max-delete and at least "
            "their number, or --max-delete all.";
        if (dryRun) {
            job.report = [&plan](UploadAction action, const std::string& path, std::int64_t bytes) {
                plan.push_back({action, path, bytes});
            };
        }
        // The job runs on this thread, so Ctrl-C also reaches a question it is asking.
        const ScopedInterruptFlag interrupt(job.stop);
        outcome = RunUpload(job);
        interrupted = interrupt.Interrupted();
        display.Finish();
    }
    // The plan goes to standard output, one line a file under a line for each folder, for
    // reading or scripts; what was found before a failure or a stop too.
    std::fputs(PlanText(plan).c_str(), stdout);
    DeleteSession();
    if (outcome == UploadOutcome::Finished) {
        return kExitOk;
    }
    // A question that Ctrl-C declined ends the upload as a failure, but it was a stop.
    if (outcome == UploadOutcome::Canceled || interrupted) {
        std::fprintf(stderr, "Upload stopped.\n");
        return kExitInterrupted;
    }
    return kExitFileError;
}
