#include <algorithm>

#include "upload/upload_run.h"

namespace upload_run {

// Lists what the server has and the site no longer has, asks, and deletes it.
UploadOutcome UploadRun::DeleteExtraEntries() {
    if (rootMissing) {
        return UploadOutcome::Finished;  // a dry run into a folder still to be made
    }
    if (!folderDoubt.empty()) {
        Box(
            MessageBoxText("Nothing was deleted on the FTP server: after changing into \"%s\" the "
                           "server %s, so Mavren cannot be sure which folder it would delete in.",
                           remoteRoot.c_str(), folderDoubt.c_str()));
        return FtpFailure();
    }
    Status("Looking for files the site no longer has ...");
    currentFolder = std::string(1, '\0');  // the walk leaves the server elsewhere
    MirrorPlan plan;
    MirrorFailure failure;
    if (!FindExtraRemoteEntries(*connection, MirrorScope{remoteRoot, madeFolders}, site, plan,
                                failure)) {
        if (CancelRequested()) {
            return Stopped();
        }
        Box(MessageBoxText(
            "Failed to list directory on FTP server\n\nDirectory: %s\n\nReason: %s\n\n"
            "Nothing was deleted.",
            failure.folder.c_str(), Cut(failure.reason).c_str()));
        return FtpFailure();
    }
    for (const std::string& kept : plan.kept) {
        Status(kept);
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
            Report(UploadAction::Delete, ShownExtra(extra));
        }
        if (!over.empty()) {
            Status("An upload would delete none of these: they are " + over + ".");
        }
        filesToDelete = files;
        foldersToDelete = static_cast<std::int64_t>(extras.size()) - files;
        deletionOverLimit = !over.empty();
        return UploadOutcome::Finished;
    }
    if (!ConfirmDeletion(extras, files, over)) {
        return UploadOutcome::Finished;
    }
    Status(StringPrintf("Deleting %zu files and folders ...", extras.size()));
    if (!DeleteRemoteEntries(*connection, remoteRoot, extras, failure)) {
        if (CancelRequested()) {
            return Stopped();
        }
        Box(MessageBoxText("Failed to delete \"%s\" on FTP server\n\nReason: %s",
                           failure.folder.c_str(), Cut(failure.reason).c_str()));
        return FtpFailure();
    }
    for (const RemoteExtra& extra : extras) {
        Report(UploadAction::Delete, ShownExtra(extra));
    }
    return UploadOutcome::Finished;
}

std::string UploadRun::WouldBeDeletedText() const {
    const auto counted = [](std::int64_t count, const char* noun) {
        return GroupedNumber(count) + " " + noun + (count == 1 ? "" : "s");
    };
    std::string deleted;
    if (filesToDelete > 0) {
        deleted = counted(filesToDelete, "file");
    }
    if (foldersToDelete > 0) {
        deleted += (deleted.empty() ? "" : " and ") + counted(foldersToDelete, "folder");
    }
    if (deleted.empty()) {
        return {};
    }
    return "; " + deleted + (deletionOverLimit ? " would not be deleted" : " would be deleted");
}

bool UploadRun::ConfirmDeletion(const std::vector<RemoteExtra>& extras, std::int64_t files,
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
        extras.size(), remoteRoot.c_str(), list.c_str());
    if (over.empty()) {
        return ShowMessageBox(found + "Delete them?", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    const std::string count =
        files == 1 ? "That is 1 file, " : "Those are " + GroupedNumber(files) + " files, ";
    if (job.askAboveLimit) {
        return ShowMessageBox(found + count + over + ". Delete them all the same?",
                              MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
    }
    Box(found + count + over + ", so Mavren deleted none of them." + job.limitAdvice,
        MB_OK | MB_ICONEXCLAMATION);
    filesNotDeleted = files;
    return false;
}

}  // namespace upload_run
