#include "upload/upload_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <vector>

#include "generate/progress_tracker.h"
#include "media/source_scan.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "upload/ftp_connection.h"
#include "upload/ftp_profiles.h"

std::atomic<int> UploadCancelRequested{0};

namespace {

// Larger than the classic 1 KiB for speed; the stop request is still checked before each.
constexpr std::size_t kBlockSize = 64 * 1024;
// A server's or libcurl's message is cut to this length in the boxes.
constexpr std::size_t kMessageLimit = 259;

using Clock = std::chrono::steady_clock;

bool CancelRequested() {
    return UploadCancelRequested.load(std::memory_order_relaxed) != 0;
}

std::string Cut(const std::string& text) {
    return text.substr(0, kMessageLimit);
}

// Whole percent of done in total; a total of 0 (nothing but empty files) counts as all done.
int Percent(std::int64_t done, std::int64_t total) {
    if (total <= 0) {
        return 100;
    }
    const double share = static_cast<double>(done) / static_cast<double>(total) * 100.0;
    return std::clamp(static_cast<int>(share), 0, 100);
}

// A descriptor closed when it leaves scope.
class LocalFile {
  public:
    explicit LocalFile(int fd) : fd(fd) {}
    ~LocalFile() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;
    int get() const { return fd; }

  private:
    int fd;
};

// Reads up to size bytes; the count, 0 at the end, -1 with errno on failure.
ssize_t ReadBlock(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

// The files below folder, subfolders included, as paths relative to it ("a.htm",
// "images/b.jpg"), sorted by the whole path ignoring letter case.
std::vector<std::string> RelativeFileList(const std::string& folder) {
    std::vector<std::string> files;
    const std::unique_ptr<FileList> list = ScanFiles(folder, "*.*", true);
    if (!list) {
        return files;
    }
    const std::string prefix = JoinPath(folder, "");
    files.reserve(list->size());
    for (const std::string& path : *list) {
        files.push_back(path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size())
                                                                    : path);
    }
    return files;
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
    void CountFile(std::int64_t size);
    UploadOutcome FtpFailure();
    UploadOutcome TransferFailure(const char* format, const std::string& name);

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
    std::unique_ptr<FtpClient> connection;
    ProgressTracker tracker;
    std::int64_t total = 0;
    std::int64_t bytesDone = 0;
    std::string remoteRoot;
    std::string currentFolder;  // relative local subfolder whose remote twin is current
    Clock::time_point nextPercentStatus;
    std::vector<char> buffer;
};

UploadOutcome Upload::Run() {
    {
        const LocalFile folder(::open(job.localFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() < 0) {
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
    const std::vector<std::string> files = RelativeFileList(job.localFolder);
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
    if (!connection) {
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
        return connection ? UploadOutcome::Canceled : UploadOutcome::Failed;
    }

    if (!OpenRemoteFolder()) {
        return FtpFailure();
    }
    nextPercentStatus = Clock::now() + std::chrono::milliseconds(1000);
    buffer.resize(kBlockSize);
    for (std::size_t i = 0; i < files.size() && !CancelRequested(); ++i) {
        const UploadOutcome outcome = SendFile(files[i], listedSizes[i]);
        if (outcome != UploadOutcome::Finished) {
            return outcome;
        }
    }
    connection->Close();
    if (CancelRequested()) {
        return UploadOutcome::Canceled;
    }
    TimingStatus(tracker.DoneText());
    Status("Done.");
    PostWorkDone(job.window);
    return UploadOutcome::Finished;
}

// Changes into the job's remote folder, offering to create it, and notes the server's
// name for it as the remote root.
bool Upload::OpenRemoteFolder() {
    const std::string& remote = job.remoteFolder;
    Status(StringPrintf("Setting directory to \"%s\" ...", remote.c_str()));
    if (!connection->SetCurrentDirectory(remote)) {
        int error = connection->LastError();
        if (error == ERROR_INTERNET_EXTENDED_ERROR &&
            ShowMessageBox(StringPrintf("Cannot change to FTP directory \"%s\".\n\n"
                                        "Would you like to create it?",
                                        remote.c_str()),
                           MB_YESNO | MB_ICONQUESTION) == IDYES) {
            error = CreateRemotePath(*connection, remote);
            if (error == 0 && !connection->SetCurrentDirectory(remote)) {
                error = connection->LastError();
            }
        }
        if (error != 0) {
            MessageBoxF("Failed to change directory on FTP server\n\nDirectory: %s\n\nReason: %s",
                        remote.c_str(), ErrorCodeText(error).c_str());
            return false;
        }
    }
    // Without the root's name the subfolders could not be found again.
    if (!connection->GetCurrentDirectory(remoteRoot)) {
        MessageBoxF("Failed to get directory on FTP server\n\nReason: %s",
                    ErrorCodeText(connection->LastError()).c_str());
        return false;
    }
    return true;
}

// Makes the remote twin of a local subfolder ("" for the local folder itself) current.
bool Upload::EnterSubfolder(const std::string& folder) {
    if (folder == currentFolder) {
        return true;
    }
    if (!connection->SetCurrentDirectory(remoteRoot)) {
        MessageBoxF("Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
                    remoteRoot.c_str(), ErrorCodeText(connection->LastError()).c_str());
        return false;
    }
    currentFolder = folder;
    if (folder.empty()) {
        return true;
    }
    Status(StringPrintf("Setting directory to \"%s\" ...", folder.c_str()));
    int error = CreateRemotePath(*connection, folder);
    if (error == 0 && !connection->SetCurrentDirectory(folder)) {
        error = connection->LastError();
    }
    if (error != 0) {
        MessageBoxF("Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
                    folder.c_str(), ErrorCodeText(error).c_str());
        return false;
    }
    return true;
}

// Sends one file unless the server's copy is as new; Finished to go on with the next.
UploadOutcome Upload::SendFile(const std::string& path, std::int64_t listedSize) {
    const std::string name = PathFileName(path);
    if (!EnterSubfolder(PathFolder(path))) {
        return FtpFailure();
    }
    struct stat local;
    if (::stat(Local(path).c_str(), &local) != 0) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(listedSize);
        return UploadOutcome::Finished;
    }
    if (!S_ISREG(local.st_mode)) {
        // A pipe or a device would never end.
        Status(StringPrintf("Skipping \"%s\" (not a regular file)", name.c_str()));
        CountFile(listedSize);
        return UploadOutcome::Finished;
    }
    const std::int64_t size = local.st_size;

    Status(StringPrintf("Checking \"%s\" ...", name.c_str()));
    RemoteFileStatus remote;
    if (connection->FindFile(name, remote) && remote.size == size && remote.lastWriteTime >= 0 &&
        local.st_mtim.tv_sec <= remote.lastWriteTime) {
        Status(StringPrintf("Skipping \"%s\" (sizes and modification times match)", name.c_str()));
        CountFile(size);
        return UploadOutcome::Finished;
    }

    const LocalFile file(::open(Local(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        Status(StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(size);
        return UploadOutcome::Finished;
    }
    Status(StringPrintf("Opening \"%s\" ...", name.c_str()));
    std::unique_ptr<FtpRemoteFile> remoteFile = connection->OpenFile(name);
    if (!remoteFile) {
        MessageBoxF("Failed to open FTP file \"%s\":\n\n%s", name.c_str(),
                    Cut(connection->LastErrorText()).c_str());
        return FtpFailure();
    }
    std::int64_t sent = 0;
    while (!CancelRequested()) {
        const ssize_t got = ReadBlock(file.get(), buffer.data(), buffer.size());
        if (got < 0) {
            const int error = errno;
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
            remoteFile.reset();
            return TransferFailure("Failed to write FTP file \"%s\":\n\n%s", name);
        }
        sent += got;
        const Clock::time_point now = Clock::now();
        if (now > nextPercentStatus) {
            nextPercentStatus = now + std::chrono::milliseconds(1000);
            Status(StringPrintf("Uploading \"%s\" - %d%%", name.c_str(), Percent(sent, size)));
        }
    }
    Status(StringPrintf("Closing \"%s\" ...", name.c_str()));
    if (!remoteFile->Close()) {
        return TransferFailure("Failed to close FTP file \"%s\":\n\n%s", name);
    }
    CountFile(size);
    return UploadOutcome::Finished;
}

void Upload::CountFile(std::int64_t size) {
    bytesDone += size;
    PostProgress(job.window, Percent(bytesDone, total));
    tracker.Advance(size);
    TimingStatus(tracker.DoneText() + " - " + tracker.RemainingText());
}

// Ends after a failure the user was told of in a box.
UploadOutcome Upload::FtpFailure() {
    connection->Close();
    Status("FTP Error.");
    PostWorkDone(job.window);
    return UploadOutcome::Failed;
}

// A remote file failed while it was written or closed. After a stop request the
// failure is only the stop's consequence, and a stop reports nothing more.
UploadOutcome Upload::TransferFailure(const char* format, const std::string& name) {
    if (CancelRequested()) {
        connection->Close();
        return UploadOutcome::Canceled;
    }
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
    return UploadJob{profile.host, profile.username,  profile.password,
                     localFolder,  profile.directory, std::move(window)};
}

UploadOutcome RunUpload(const UploadJob& job) {
    return RunUpload(
        job, [](const UploadJob& upload, std::string& failure) -> std::unique_ptr<FtpClient> {
            return FtpConnection::Open(SharedSession(), upload.host, upload.username,
                                       upload.password, failure);
        });
}

UploadOutcome RunUpload(const UploadJob& job, const FtpConnector& connect) {
    Upload upload(job, connect);
    try {
        return upload.Run();
    } catch (const std::exception& failure) {
        return upload.Abandon(failure.what());
    }
}

int CreateRemotePath(FtpClient& connection, const std::string& path) {
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
    do {
        const std::size_t separator = rest.find('/');
        const std::string piece = rest.substr(0, separator);
        rest = separator == std::string::npos ? std::string() : rest.substr(separator + 1);
        if (!connection.SetCurrentDirectory(piece)) {
            if (!connection.CreateDirectory(piece) && connection.LastError() != 0) {
                return connection.LastError();
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
