#include "upload/upload_delete.h"

#include <algorithm>

#include "platform/format.h"

namespace upload_run {

UploadOutcome UploadDeletion::Run(FtpClient& connection, const LocalSite& site) {
    if (!folderDoubt.empty()) {
        messages.Box(
            MessageBoxText("Nothing was deleted on the FTP server: after changing into \"%s\" the "
                           "server %s, so Mavren cannot be sure which folder it would delete in.",
                           scope.root.c_str(), folderDoubt.c_str()));
        return UploadOutcome::Failed;
    }
    messages.Status("Looking for files the site no longer has ...");
    MirrorPlan plan;
    MirrorFailure failure;
    if (!FindExtraRemoteEntries(connection, scope, site, plan, failure)) {
        if (messages.StopRequested()) {
            return UploadOutcome::Canceled;
        }
        messages.Box(MessageBoxText(
            "Failed to list directory on FTP server\n\nDirectory: %s\n\nReason: %s\n\n"
            "Nothing was deleted.",
            failure.folder.c_str(), Cut(failure.reason).c_str()));
        return UploadOutcome::Failed;
    }
    for (const std::string& kept : plan.kept) {
        messages.Status(kept);
    }
    const std::vector<RemoteExtra>& extras = plan.extras;
    if (extras.empty()) {
        return UploadOutcome::Finished;
    }
    const std::int64_t files = std::count_if(
        extras.begin(), extras.end(),
        [](const RemoteExtra& extra) { return extra.kind != RemoteExtra::Kind::Folder; });
    const std::string over = DeletionOverLimit(job.deleteLimit, files, plan.filesListed);
    if (job.dryRun) {
        for (const RemoteExtra& extra : extras) {
            messages.Report(UploadAction::Delete, ShownExtra(extra));
        }
        if (!over.empty()) {
            messages.Status("An upload would delete none of these: they are " + over + ".");
        }
        counts.filesToDelete = files;
        counts.foldersToDelete = static_cast<std::int64_t>(extras.size()) - files;
        counts.overLimit = !over.empty();
        return UploadOutcome::Finished;
    }
    if (!Confirm(extras, files, over)) {
        return UploadOutcome::Finished;
    }
    messages.Status(StringPrintf("Deleting %zu files and folders ...", extras.size()));
    if (!DeleteRemoteEntries(connection, scope.root, extras, failure)) {
        if (messages.StopRequested()) {
            return UploadOutcome::Canceled;
        }
        messages.Box(MessageBoxText("Failed to delete \"%s\" on FTP server\n\nReason: %s",
                                    failure.folder.c_str(), Cut(failure.reason).c_str()));
        return UploadOutcome::Failed;
    }
    for (const RemoteExtra& extra : extras) {
        messages.Report(UploadAction::Delete, ShownExtra(extra));
    }
    return UploadOutcome::Finished;
}

std::string WouldBeDeletedText(const DeletionCounts& counts) {
    const auto counted = [](std::int64_t count, const char* noun) {
        return GroupedNumber(count) + " " + noun + (count == 1 ? "" : "s");
    };
    std::string deleted;
    if (counts.filesToDelete > 0) {
        deleted = counted(counts.filesToDelete, "file");
    }
    if (counts.foldersToDelete > 0) {
        deleted += (deleted.empty() ? "" : " and ") + counted(counts.foldersToDelete, "folder");
    }
    if (deleted.empty()) {
        return {};
    }
    return "; " + deleted + (counts.overLimit ? " would not be deleted" : " would be deleted");
}

bool UploadDeletion::Confirm(const std::vector<RemoteExtra>& extras, std::int64_t files,
                             const std::string& over) {
    constexpr std::size_t kListed = 30;
    std::string list;
    for (std::size_t i = 0; i < extras.size() && i < kListed; ++i) {
        list += "  " + ShownPath(ShownExtra(extras[i]));
        list += extras[i].kind == RemoteExtra::Kind::Link ? " (a link)\n" : "\n";
    }
    if (extras.size() > kListed) {
        list += StringPrintf("  ... and %zu more\n", extras.size() - kListed);
    }
    const std::string found = StringPrintf(
        "The server has %zu files and folders below \"%s\" that the site no longer "
        "has:\n\n%s\n",
        extras.size(), scope.root.c_str(), list.c_str());
    if (over.empty()) {
        return ShowMessageBox(found + "Delete them?", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    const std::string count =
        files == 1 ? "That is 1 file, " : "Those are " + GroupedNumber(files) + " files, ";
    if (job.askAboveLimit) {
        return ShowMessageBox(found + count + over + ". Delete them all the same?",
                              MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
    }
    messages.Box(found + count + over + ", so Mavren deleted none of them." + job.limitAdvice,
                 MB_OK | MB_ICONEXCLAMATION);
    counts.filesNotDeleted = files;
    return false;
}

}  // namespace upload_run
