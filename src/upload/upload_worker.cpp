#include "upload/upload_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <set>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "upload/ftp_profiles.h"
#include "upload/remote_paths.h"
#include "upload/upload_connect.h"
#include "upload/upload_mirror.h"
#include "upload/upload_walk.h"
#include "work/progress_pacing.h"
#include "work/progress_tracker.h"

namespace {

// Larger than the classic 1 KiB for speed; a stop request is seen while a block is on its
// way too, so the size does not delay a stop.
constexpr std::size_t kBlockSize = 512 * 1024;
// A server's or libcurl's message is cut to this length in the boxes.
constexpr std::size_t kMessageLimit = 259;

bool CancelRequested() {
    return UploadCancelRequested.load(std::memory_order_relaxed) != 0;
}

std::string Cut(const std::string& text) {
    return text.substr(0, kMessageLimit);
}

// One run of the worker. The local files are addressed below the job's folder, never
// through the process's current folder, which other threads rely on.
class Upload {
  public:
    Upload(const UploadJob& job, const FtpConnector& connect) : job(job), connect(connect) {}

    UploadOutcome Run();
    // Ends after an unexpected failure (out of memory, say).
    UploadOutcome Abandon(const char* reason);

  private:
    bool OpenRemoteFolder();
    bool EnterSubfolder(const std::string& folder);
    UploadOutcome SendFile(const std::string& path, std::int64_t listedSize);
    UploadOutcome Copy(const std::string& path, const std::string& name, int fd, std::int64_t size);
    UploadOutcome DeleteExtraEntries();
    // Why deleting files would go past the job's limit ("more than 50 files"); empty when not.
    std::string OverLimit(std::int64_t files, std::int64_t listed) const;
    // Asks before deleting the extras (or refuses above the limit); true to go ahead.
    bool ConfirmDeletion(const std::vector<RemoteExtra>& extras, std::int64_t files,
                         const std::string& over);
    // Counts a file as done; sent tells whether its bytes went to the server.
    void CountFile(std::int64_t size, bool sent);
    void ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent);
    std::string SummaryText() const;
    UploadOutcome FtpFailure();
    UploadOutcome Stopped();
    UploadOutcome TransferFailure(const char* format, const std::string& name);
    void Report(UploadAction action, const std::string& path) const {
        if (job.report) {
            job.report(action, path);
        }
    }

    void Status(const std::string& text) { PostStatusText(job.window, text); }
    // A text for the timing line, which "@" marks. Appended rather than "@" + text, which
    // GCC 12's -Wrestrict misreads in an optimised build.
    void TimingStatus(const std::string& text) {
        std::string line = "@";
        line += text;
        Status(line);
    }
    std::string Local(const std::string& path) const { return JoinPath(job.localFolder, path); }

    const UploadJob& job;
    const FtpConnector& connect;
    LocalSite site;  // what goes, and what the walk left out
    std::unique_ptr<FtpClient> connection;
    ProgressTracker tracker;  // counts the bytes sent; files left as they were drop out
    std::int64_t total = 0;
    std::int64_t bytesDone = 0;  // of files sent or left as they were
    std::int64_t unchangedFiles = 0;
    std::int64_t sentFiles = 0;
    int failedFiles = 0;
    std::string remoteRoot;   // absolute: the profile's folder taken from the login folder
    std::string folderDoubt;  // what the server said instead of naming remoteRoot
    std::set<std::string> madeFolders;  // subfolders this upload made, relative
    std::int64_t filesNotDeleted = 0;   // above the limit of a deletion
    std::string currentFolder;          // relative local subfolder whose remote twin is current
    bool remoteMissing = false;         // dry run: the remote folder (or subfolder) is not there
    bool rootMissing = false;           // dry run: the profile's folder itself is not there
    StatusPacer sendingPacer;           // the percentages while a file is on its way
    std::vector<char> buffer;
};

UploadOutcome Upload::Run() {
    {
        const UniqueFd folder(::open(job.localFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid()) {
            const int error = errno;
            MessageBoxF(
                "Failed to change directory on local machine\n\nDirectory: %s\n\nReason: %s",
                job.localFolder.c_str(), ErrorCodeText(error).c_str());
            Status("Error.");
            PostWorkDone(job.window);
            return UploadOutcome::Failed;
        }
    }

    Status("Getting filelist ...");
    site = WalkLocalSite(job.localFolder);
    for (const SkippedEntry& skipped : site.skipped) {
        const std::string shown = ShownPath(skipped.path);
        Status(StringPrintf("Skipping \"%s\" (%s)", shown.c_str(), skipped.reason.c_str()));
        Report(UploadAction::Skip, shown);
    }
    const std::vector<std::string>& files = site.files;
    std::vector<std::int64_t> listedSizes(files.size(), 0);
    for (std::size_t i = 0; i < files.size() && !CancelRequested(); ++i) {
        struct stat status;
        if (::stat(Local(files[i]).c_str(), &status) == 0) {
            listedSizes[i] = status.st_size;
            total += status.st_size;
        }
    }
    tracker.Start("byte", total);
    if (CancelRequested()) {
        Status("Canceled.");
        PostWorkDone(job.window);
        return UploadOutcome::Canceled;
    }

    Status(StringPrintf("Connecting to \"%s\" ...", job.host.c_str()));
    std::string failure;
    connection = connect(job, failure);
    if (!connection && !CancelRequested()) {
        Status("FTP error");
        PostErrorText(job.window,
                      StringPrintf("Failed to open FTP connection to \"%s\"\n\nReason: %s",
                                   job.host.c_str(), Cut(failure).c_str()));
    }
    if (CancelRequested() || !connection) {
        if (connection) {
            connection->Close();
        }
        PostWorkDone(job.window);
        return CancelRequested() ? UploadOutcome::Canceled : UploadOutcome::Failed;
    }
    connection->SetStopFlag(&UploadCancelRequested);

    if (!OpenRemoteFolder()) {
        return CancelRequested() ? Stopped() : FtpFailure();
    }
    sendingPacer.Hold();
    buffer.resize(kBlockSize);
    for (std::size_t i = 0; i < files.size() && !CancelRequested(); ++i) {
        const UploadOutcome outcome = SendFile(files[i], listedSizes[i]);
        if (outcome != UploadOutcome::Finished) {
            return outcome;
        }
    }
    if (CancelRequested()) {
        return Stopped();
    }
    // Deleting what the site no longer has only makes sense once the site is all there.
    if (job.deleteExtra && failedFiles > 0) {
        Status("Nothing was deleted: not every file could be sent.");
    } else if (job.deleteExtra) {
        const UploadOutcome outcome = DeleteExtraEntries();
        if (outcome != UploadOutcome::Finished) {
            return outcome;
        }
    }
    TimingStatus(SummaryText());
    connection->Close();
    Status("Done.");
    PostWorkDone(job.window);
    return failedFiles == 0 && filesNotDeleted == 0 ? UploadOutcome::Finished
                                                    : UploadOutcome::Failed;
}

// Changes into the job's remote folder, offering to create it. Its full path is the
// profile's folder taken from the folder the server logged in to.
bool Upload::OpenRemoteFolder() {
    const std::string& remote = job.remoteFolder;
    // Asked before any change of folder: later answers are checked against what was asked.
    std::string login;
    if (!connection->GetCurrentDirectory(login)) {
        if (!CancelRequested()) {
            MessageBoxF("Failed to get directory on FTP server\n\nReason: %s",
                        ErrorCodeText(connection->LastError()).c_str());
        }
        return false;
    }
    remoteRoot = RemoteFolderPath(RemoteFolderPath("/", login), remote);
    Status(StringPrintf("Setting directory to \"%s\" ...", remote.c_str()));
    if (!connection->SetCurrentDirectory(remote)) {
        int error = connection->LastError();
        if (error == ERROR_INTERNET_EXTENDED_ERROR && job.dryRun) {
            // Nothing is made in a dry run: everything would go into a new folder.
            Status(StringPrintf("\"%s\" would be created", remote.c_str()));
            remoteMissing = rootMissing = true;
            return true;
        }
        if (error == ERROR_INTERNET_EXTENDED_ERROR && !CancelRequested() &&
            ShowMessageBox(StringPrintf("Cannot change to FTP directory \"%s\".\n\n"
                                        "Would you like to create it?",
                                        remote.c_str()),
                           MB_YESNO | MB_ICONQUESTION) == IDYES) {
            error = CreateRemotePath(*connection, remote);
            if (error == 0 && !connection->SetCurrentDirectory(remoteRoot)) {
                error = connection->LastError();
            }
        }
        if (error != 0) {
            if (!CancelRequested()) {
                MessageBoxF(
                    "Failed to change directory on FTP server\n\nDirectory: %s\n\nReason: %s",
                    remote.c_str(), ErrorCodeText(error).c_str());
            }
            return false;
        }
    }
    // Files go by the full path whatever the server says here, but a server that names
    // another folder than the one asked for is not trusted to delete anything.
    std::string said;
    if (!connection->GetCurrentDirectory(said)) {
        if (connection->LastError() != ERROR_INTERNET_EXTENDED_ERROR) {
            if (!CancelRequested()) {
                MessageBoxF("Failed to get directory on FTP server\n\nReason: %s",
                            ErrorCodeText(connection->LastError()).c_str());
            }
            return false;
        }
        folderDoubt = "did not say where it is";
    } else if (!SameRemoteFolder(said, remoteRoot)) {
        folderDoubt = "said it is in \"" + said + "\"";
    }
    return true;
}

// Makes the remote twin of a local subfolder ("" for the local folder itself) current,
// making it (and every missing level) when it is not there.
bool Upload::EnterSubfolder(const std::string& folder) {
    if (folder == currentFolder || rootMissing) {
        return true;
    }
    currentFolder = folder;
    remoteMissing = false;
    if (!folder.empty()) {
        Status(StringPrintf("Setting directory to \"%s\" ...", folder.c_str()));
    }
    const std::string target = RemoteFolderPath(remoteRoot, folder);
    if (connection->SetCurrentDirectory(target)) {
        return true;
    }
    int error = connection->LastError();
    if (error == ERROR_INTERNET_EXTENDED_ERROR && job.dryRun) {
        // Nothing is made in a dry run: a missing folder means all of its files would go.
        remoteMissing = true;
        return true;
    }
    if (error == ERROR_INTERNET_EXTENDED_ERROR && !folder.empty()) {
        std::vector<std::string> made;
        error = connection->SetCurrentDirectory(remoteRoot)
                    ? CreateRemotePath(*connection, folder, &made)
                    : connection->LastError();
        madeFolders.insert(made.begin(), made.end());
        if (error == 0 && !connection->SetCurrentDirectory(target)) {
            error = connection->LastError();
        }
    }
    if (error != 0) {
        if (!CancelRequested()) {
            MessageBoxF("Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
                        folder.empty() ? remoteRoot.c_str() : folder.c_str(),
                        ErrorCodeText(error).c_str());
        }
        return false;
    }
    return true;
}

// Sends one file unless the server's copy is as new; Finished to go on with the next.
UploadOutcome Upload::SendFile(const std::string& path, std::int64_t listedSize) {
    const std::string name = PathFileName(path);
    if (!EnterSubfolder(PathFolder(path))) {
        return CancelRequested() ? Stopped() : FtpFailure();
    }
    struct stat local;
    if (::stat(Local(path).c_str(), &local) != 0) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(listedSize, false);
        return UploadOutcome::Finished;
    }
    if (!S_ISREG(local.st_mode)) {
        // A pipe or a device would never end.
        Status(StringPrintf("Skipping \"%s\" (not a regular file)", name.c_str()));
        CountFile(listedSize, false);
        return UploadOutcome::Finished;
    }
    const std::int64_t size = local.st_size;

    Status(StringPrintf("Checking \"%s\" ...", name.c_str()));
    RemoteFileStatus remote;
    if (!remoteMissing && connection->FindFile(name, remote) && remote.size == size &&
        remote.lastWriteTime >= 0 && local.st_mtim.tv_sec <= remote.lastWriteTime) {
        Status(StringPrintf("Skipping \"%s\" (sizes and modification times match)", name.c_str()));
        Report(UploadAction::Skip, path);
        ++unchangedFiles;
        CountFile(size, false);
        return UploadOutcome::Finished;
    }
    if (CancelRequested()) {
        return Stopped();
    }
    if (job.dryRun) {
        Report(UploadAction::Send, path);
        ++sentFiles;
        CountFile(size, true);
        return UploadOutcome::Finished;
    }

    const UniqueFd file(::open(Local(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(size, false);
        return UploadOutcome::Finished;
    }
    return Copy(path, name, file.get(), size);
}

// Sends the open local file fd as name into the server's current folder.
UploadOutcome Upload::Copy(const std::string& path, const std::string& name, int fd,
                           std::int64_t size) {
    Status(StringPrintf("Opening \"%s\" ...", name.c_str()));
    std::unique_ptr<FtpRemoteFile> remoteFile = connection->OpenFile(name);
    if (!remoteFile) {
        if (CancelRequested()) {
            return Stopped();
        }
        MessageBoxF("Failed to open FTP file \"%s\":\n\n%s", name.c_str(),
                    Cut(connection->LastErrorText()).c_str());
        // A file the server refuses leaves the others to go; a lost connection does not.
        if (connection->LastError() != ERROR_INTERNET_EXTENDED_ERROR) {
            return FtpFailure();
        }
        ++failedFiles;
        bytesDone += size;
        tracker.total -= size;
        return UploadOutcome::Finished;
    }
    Report(UploadAction::Send, path);
    std::int64_t counted = 0;  // bytes of this file the tracker has
    for (;;) {
        if (CancelRequested()) {
            remoteFile->Abort();
            return Stopped();
        }
        const ssize_t got = ReadAll(fd, buffer.data(), buffer.size());
        if (got < 0) {
            const int error = errno;
            remoteFile->Abort();
            remoteFile.reset();
            MessageBoxF("Failed to read \"%s\" on local machine\n\nReason: %s", Local(path).c_str(),
                        ErrorCodeText(error).c_str());
            connection->Close();
            Status("Error.");
            PostWorkDone(job.window);
            return UploadOutcome::Failed;
        }
        if (got == 0) {
            break;
        }
        if (!remoteFile->Write(buffer.data(), static_cast<std::size_t>(got))) {
            if (CancelRequested()) {
                remoteFile->Abort();
                return Stopped();
            }
            remoteFile.reset();
            return TransferFailure("Failed to write FTP file \"%s\":\n\n%s", name);
        }
        const std::int64_t sent = remoteFile->BytesSent();
        tracker.Advance(sent - counted);
        counted = sent;
        ShowSending(name, size, sent);
    }
    Status(StringPrintf("Closing \"%s\" ...", name.c_str()));
    if (!remoteFile->Close()) {
        if (CancelRequested()) {
            return Stopped();
        }
        return TransferFailure("Failed to close FTP file \"%s\":\n\n%s", name);
    }
    tracker.Advance(size - counted);
    ++sentFiles;
    CountFile(size, true);
    return UploadOutcome::Finished;
}

// The percentage of the file the server has, and the overall one, at most once a second.
void Upload::ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent) {
    if (!sendingPacer.Due()) {
        return;
    }
    Status(StringPrintf("Uploading \"%s\" - %d%%", name.c_str(), PercentDone(sent, fileSize)));
    PostProgress(job.window, PercentDone(bytesDone + sent, total));
    TimingStatus(tracker.DoneText() + " - " + tracker.RemainingText());
}

// Lists what the server has and the site no longer has, asks, and deletes it.
UploadOutcome Upload::DeleteExtraEntries() {
    if (rootMissing) {
        return UploadOutcome::Finished;  // a dry run into a folder still to be made
    }
    if (!folderDoubt.empty()) {
        MessageBoxF(
            "Nothing was deleted on the FTP server: after changing into \"%s\" the "
            "server %s, so Mavren cannot be sure which folder it would delete in.",
            remoteRoot.c_str(), folderDoubt.c_str());
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
        MessageBoxF(
            "Failed to list directory on FTP server\n\nDirectory: %s\n\nReason: %s\n\n"
            "Nothing was deleted.",
            failure.folder.c_str(), Cut(failure.reason).c_str());
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
    const std::string over = OverLimit(files, plan.filesListed);
    if (job.dryRun) {
        for (const RemoteExtra& extra : extras) {
            Report(UploadAction::Delete, ShownExtra(extra));
        }
        if (!over.empty()) {
            Status("An upload would delete none of these: they are " + over + ".");
        }
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
        MessageBoxF("Failed to delete \"%s\" on FTP server\n\nReason: %s", failure.folder.c_str(),
                    Cut(failure.reason).c_str());
        return FtpFailure();
    }
    for (const RemoteExtra& extra : extras) {
        Report(UploadAction::Delete, ShownExtra(extra));
    }
    return UploadOutcome::Finished;
}

std::string Upload::OverLimit(std::int64_t files, std::int64_t listed) const {
    constexpr std::int64_t kMostFiles = 50;
    const DeleteLimit& limit = job.deleteLimit;
    switch (limit.kind) {
        case DeleteLimit::Kind::None:
            return {};
        case DeleteLimit::Kind::AtMost:
            return files > limit.count ? StringPrintf("more than the %s allowed",
                                                      GroupedNumber(limit.count).c_str())
                                       : std::string();
        case DeleteLimit::Kind::Default:
            break;
    }
    if (files > kMostFiles) {
        return StringPrintf("more than %s", GroupedNumber(kMostFiles).c_str());
    }
    if (files * 4 > listed) {
        return StringPrintf("more than a quarter of the %s files there",
                            GroupedNumber(listed).c_str());
    }
    return {};
}

bool Upload::ConfirmDeletion(const std::vector<RemoteExtra>& extras, std::int64_t files,
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
    ShowMessageBox(found + count + over + ", so Mavren deleted none of them." + job.limitAdvice,
                   MB_OK | MB_ICONEXCLAMATION);
    filesNotDeleted = files;
    return false;
}

void Upload::CountFile(std::int64_t size, bool sent) {
    bytesDone += size;
    if (!sent) {
        tracker.total -= size;  // nothing to send for it: the time left is for the others
    }
    PostProgress(job.window, PercentDone(bytesDone, total));
    TimingStatus(tracker.DoneText() + " - " + tracker.RemainingText());
}

// What the run did: the bytes sent and the time, or that nothing had to go.
std::string Upload::SummaryText() const {
    std::string text;
    if (job.dryRun) {
        text = StringPrintf("%s files (%s bytes) would be sent", GroupedNumber(sentFiles).c_str(),
                            GroupedNumber(tracker.total).c_str());
    } else if (tracker.done == 0 && failedFiles == 0) {
        text = "0 bytes sent";
    } else {
        text = tracker.DoneText();
    }
    if (unchangedFiles > 0) {
        text += StringPrintf("; %s file%s unchanged", GroupedNumber(unchangedFiles).c_str(),
                             unchangedFiles == 1 ? "" : "s");
    }
    if (failedFiles > 0) {
        text +=
            StringPrintf("; %d file%s could not be sent", failedFiles, failedFiles == 1 ? "" : "s");
    }
    if (!site.skipped.empty()) {
        text += StringPrintf("; %s left out",
                             GroupedNumber(static_cast<std::int64_t>(site.skipped.size())).c_str());
    }
    if (filesNotDeleted > 0) {
        text += StringPrintf("; %s file%s not deleted", GroupedNumber(filesNotDeleted).c_str(),
                             filesNotDeleted == 1 ? "" : "s");
    }
    return text;
}

// Ends after a failure the user was told of in a box.
UploadOutcome Upload::FtpFailure() {
    connection->Close();
    Status("FTP Error.");
    PostWorkDone(job.window);
    return UploadOutcome::Failed;
}

// Ends after a stop request: nothing more is reported.
UploadOutcome Upload::Stopped() {
    connection->Close();
    return UploadOutcome::Canceled;
}

// A remote file failed while it was written or closed.
UploadOutcome Upload::TransferFailure(const char* format, const std::string& name) {
    const std::string reason = Cut(connection->LastErrorText());
    ShowMessageBox(StringPrintf(format, name.c_str(), reason.c_str()), MB_OK);
    return FtpFailure();
}

UploadOutcome Upload::Abandon(const char* reason) {
    if (connection) {
        connection->Close();
    }
    Status("Error.");
    PostErrorText(job.window, StringPrintf("Cannot complete upload.\n\n%s", reason));
    PostWorkDone(job.window);
    return UploadOutcome::Failed;
}

}  // namespace

UploadJob MakeUploadJob(const FtpProfile& profile, const std::string& localFolder,
                        std::shared_ptr<WorkerMessageReceiver> window) {
    UploadJob job{profile.host, profile.username,  profile.password,
                  localFolder,  profile.directory, std::move(window)};
    job.protocol = profile.protocol;
    job.profileName = profile.name;
    job.passwordProblem = profile.passwordProblem;
    job.connections = profile.connections;
    job.rateLimit = profile.rateLimit;
    return job;
}

UploadOutcome RunUpload(const UploadJob& job) {
    return RunUpload(job, &ConnectForUpload);
}

UploadOutcome RunUpload(const UploadJob& job, const FtpConnector& connect) {
    Upload upload(job, connect);
    try {
        return upload.Run();
    } catch (const std::exception& failure) {
        return upload.Abandon(failure.what());
    }
}

int CreateRemotePath(FtpClient& connection, const std::string& path,
                     std::vector<std::string>* made) {
    std::string remembered;
    if (!connection.GetCurrentDirectory(remembered)) {
        return connection.LastError();
    }
    std::string rest = path;
    if (!rest.empty() && rest.front() == '/') {
        if (!connection.SetCurrentDirectory("/")) {
            return connection.LastError();
        }
        rest.erase(0, rest.find_first_not_of('/'));
    }
    std::string walked;
    do {
        const std::size_t separator = rest.find('/');
        const std::string piece = rest.substr(0, separator);
        rest = separator == std::string::npos ? std::string() : rest.substr(separator + 1);
        walked += (walked.empty() ? "" : "/") + piece;
        if (!connection.SetCurrentDirectory(piece)) {
            if (!connection.CreateDirectory(piece) && connection.LastError() != 0) {
                return connection.LastError();
            }
            if (made != nullptr) {
                made->push_back(walked);
            }
            if (!connection.SetCurrentDirectory(piece) && connection.LastError() != 0) {
                return connection.LastError();
            }
        }
    } while (!rest.empty());
    if (!connection.SetCurrentDirectory(remembered)) {
        return connection.LastError();
    }
    return 0;
}
