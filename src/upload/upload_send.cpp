#include "upload/upload_send.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

#include "platform/file_descriptor.h"
#include "platform/format.h"
#include "upload/internet_errors.h"
#include "upload/remote_paths.h"
#include "upload/sent_files_check.h"
#include "upload/server_copy_check.h"
#include "upload/upload_connect.h"

namespace upload_run {

UploadSending::UploadSending(const UploadJob& job, const FtpConnector& connect,
                             const UploadMessages& messages, UploadTally& tally, KeptFiles& kept,
                             std::string remoteRoot)
    : job(job),
      furtherJob(job),
      connect(connect),
      messages(messages),
      tally(tally),
      kept(kept),
      remoteRoot(std::move(remoteRoot)),
      limiter(job.rateLimit) {
    furtherJob.furtherConnection = true;
}

UploadOutcome UploadSending::SendAll(std::vector<Outgoing> files,
                                     std::unique_ptr<FtpClient>& first) {
    outgoing = std::move(files);
    nextOutgoing = 0;
    connection = std::move(first);
    const UploadOutcome sent = SendRounds();
    first = std::move(connection);
    return sent;
}

UploadOutcome UploadSending::SendRounds() {
    for (;;) {
        if (const UploadOutcome sent = SendOutgoing(); sent != UploadOutcome::Finished) {
            return sent;
        }
        if (const MutexLock lock(mutex); sentWhole.empty()) {
            return UploadOutcome::Finished;
        }
        const UploadOutcome checked = CheckSentWhole();
        if (checked != UploadOutcome::Finished || outgoing.empty()) {
            return checked;
        }
    }
}

UploadOutcome UploadSending::CheckSentWhole() {
    std::vector<SentWhole> checking;
    {
        const MutexLock lock(mutex);
        checking = std::move(sentWhole);
        sentWhole.clear();
    }
    outgoing.clear();
    nextOutgoing = 0;
    if (!connection) {
        // The first connection was lost for good while the others sent the rest.
        Expected<std::unique_ptr<FtpClient>> connected = connect(furtherJob);
        if (!connected.ok()) {
            if (!StopRequested()) {
                messages.Box(
                    ConnectFailureText(job.host, connected.failure().text(), job.protocol));
            }
            return StopRequested() ? UploadOutcome::Canceled : UploadOutcome::Failed;
        }
        connection = std::move(*connected);
        connection->SetStopFlag(job.stop.get());
    }
    messages.Status("Checking what the server kept ...");
    std::vector<SentFile> files;
    for (const SentWhole& sent : checking) {
        files.push_back({sent.file.path, sent.record.size});
    }
    SentFileFindings findings;
    const Result checked = CheckSentFiles(*connection, remoteRoot, files, findings);
    if (!checked.ok()) {
        if (StopRequested()) {
            return UploadOutcome::Canceled;
        }
        // Unchecked files do not enter the record: the next upload sends them again.
        messages.Box(
            MessageBoxText("Failed to check the files sent to the FTP server\n\nReason: %s",
                           Cut(checked.text()).c_str()));
        return UploadOutcome::Failed;
    }
    int pause = 0;
    if (!TakeFindings(checking, findings, outgoing, pause)) {
        return UploadOutcome::Failed;
    }
    return Pause(pause) ? UploadOutcome::Finished : UploadOutcome::Canceled;
}

bool UploadSending::TakeFindings(std::vector<SentWhole>& checked, const SentFileFindings& findings,
                                 std::vector<Outgoing>& again, int& pause) {
    for (std::size_t i = 0; i < checked.size(); ++i) {
        Outgoing& file = checked[i].file;
        const std::string name = PathFileName(file.path);
        if (findings[i].empty()) {
            kept.Keep(file.path, std::move(checked[i].record));
            continue;
        }
        if (++file.tries > kRetries) {
            messages.Box(StringPrintf("Failed to write FTP file \"%s\":\n\n%s", name.c_str(),
                                      Cut(findings[i]).c_str()));
            return false;
        }
        tally.Uncount(file.size);
        const int wait = 1 << (file.tries - 1);
        messages.Status(StringPrintf("Trying \"%s\" again (%d of %d) in %d second%s: %s",
                                     name.c_str(), file.tries, kRetries, wait, wait == 1 ? "" : "s",
                                     Cut(findings[i]).c_str()));
        pause = std::max(pause, wait);
        again.push_back(std::move(file));
    }
    return true;
}

bool UploadSending::Pause(int seconds) const {
    for (int tenth = 0; tenth < seconds * 10; ++tenth) {
        if (StopRequested()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return !StopRequested();
}

bool UploadSending::CheckLane(Lane& lane) {
    while (!lane.unchecked.empty()) {
        lane.checked = std::chrono::steady_clock::now();
        std::vector<SentWhole> checking = std::move(lane.unchecked);
        lane.unchecked.clear();
        std::vector<SentFile> files;
        for (const SentWhole& sent : checking) {
            files.push_back({sent.file.path, sent.record.size});
        }
        SentFileFindings findings;
        Result checked = lane.connection ? Result::Ok() : Result::Failure({});
        if (lane.connection) {
            messages.Status("Checking what the server kept ...");
            checked = CheckSentFiles(*lane.connection, remoteRoot, files, findings);
            lane.folder = std::string(1, '\0');  // the check may leave the server anywhere
        }
        if (!checked.ok()) {
            if (StopRequested()) {
                return false;
            }
            // Left to the check at the end, on a connection of its own.
            const MutexLock lock(mutex);
            sentWhole.insert(sentWhole.end(), std::make_move_iterator(checking.begin()),
                             std::make_move_iterator(checking.end()));
            return true;
        }
        std::vector<Outgoing> again;
        int pause = 0;
        if (!TakeFindings(checking, findings, again, pause)) {
            Halt(UploadOutcome::Failed, "FTP Error.");
            return false;
        }
        if (!again.empty() && !Pause(pause)) {
            return false;
        }
        for (const Outgoing& file : again) {
            if (const UploadOutcome outcome = SendWithRetries(lane, file);
                outcome != UploadOutcome::Finished) {
                Halt(outcome, "FTP Error.");
                return false;
            }
        }
    }
    return true;
}

// Sends what the check found over up to job.connections connections at once.
UploadOutcome UploadSending::SendOutgoing() {
    if (outgoing.empty()) {
        return UploadOutcome::Finished;
    }
    const int wanted = std::clamp(job.connections, 1, kMaxUploadConnections);
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(wanted), outgoing.size());
    std::vector<Lane> lanes(count);
    lanes[0].connection = std::move(connection);
    std::vector<std::thread> threads;
    threads.reserve(count - 1);
    for (std::size_t i = 1; i < count; ++i) {
        try {
            threads.emplace_back([this, &lanes, i] { RunLane(lanes[i], true); });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the ones started do the work
        }
    }
    RunLane(lanes[0], false);
    for (std::thread& thread : threads) {
        thread.join();
    }
    connection = std::move(lanes[0].connection);
    if (StopRequested()) {
        return UploadOutcome::Canceled;
    }
    const MutexLock lock(mutex);
    return haltOutcome;
}

// Sends files from outgoing until none is left or the upload ends. own: the lane opens
// (and closes) a connection of its own, on its own thread.
void UploadSending::RunLane(Lane& lane, bool own) {
    try {
        if (own) {
            Expected<std::unique_ptr<FtpClient>> connected = connect(furtherJob);
            if (!connected.ok()) {
                if (!StopRequested()) {
                    SayFewerConnections(connected.failure().text());
                }
                return;
            }
            lane.connection = std::move(*connected);
            lane.connection->SetStopFlag(job.stop.get());
        }
        lane.buffer.resize(limiter.BlockSize(kBlockSize));
        while (!StopRequested() && !halted.load()) {
            const std::size_t next = nextOutgoing.fetch_add(1);
            if (next >= outgoing.size()) {
                break;
            }
            const UploadOutcome outcome = SendWithRetries(lane, outgoing[next]);
            if (outcome != UploadOutcome::Finished) {
                Halt(outcome, "FTP Error.");
                break;
            }
            if (std::chrono::steady_clock::now() - lane.checked >=
                    std::chrono::seconds(kCheckSeconds) &&
                !CheckLane(lane)) {
                break;
            }
        }
        if (!StopRequested() && !halted.load()) {
            CheckLane(lane);
        }
    } catch (const std::exception& failure) {
        PostErrorText(job.window, StringPrintf("Cannot complete upload.\n\n%s", failure.what()));
        Halt(UploadOutcome::Failed, "Error.");
    }
    if (own && lane.connection) {
        lane.connection->Close();
        lane.connection.reset();  // on the thread it belongs to
    }
}

void UploadSending::Halt(UploadOutcome outcome, const char* status) {
    const MutexLock lock(mutex);
    if (!halted.exchange(true)) {
        haltOutcome = outcome;
        haltStatus = status;
    }
}

// A server that takes fewer connections than asked for (421 "Too many connections")
// leaves the upload to the ones it took: said once.
void UploadSending::SayFewerConnections(const std::string& failure) {
    std::call_once(fewerConnectionsSaid, [&] {
        messages.Status(
            StringPrintf("The server refused another connection (%s); going on with the "
                         "connections it took.",
                         Cut(failure).c_str()));
    });
}

UploadOutcome UploadSending::SendWithRetries(Lane& lane, const Outgoing& file) {
    const std::string name = PathFileName(file.path);
    Sending sending;
    std::string reason;     // why the last attempt failed
    bool connected = true;  // the last attempt had a connection
    for (int retry = file.tries + 1;; ++retry) {
        sending.tries = retry - 1;
        const Attempt attempt = SendOnce(lane, file, sending);
        switch (attempt) {
            case Attempt::Sent:
            case Attempt::Refused:
                return UploadOutcome::Finished;
            case Attempt::Stopped:
                return UploadOutcome::Canceled;
            case Attempt::Failed:
                return UploadOutcome::Failed;
            case Attempt::Lost:
            case Attempt::Mismatch:
            case Attempt::Changed:
                break;
        }
        if (connected || attempt != Attempt::Lost) {
            reason = lane.lost;
        }
        if (retry > kRetries) {
            if (attempt == Attempt::Changed) {
                // Not the server's fault: the others go on, and the next upload sends it.
                messages.Status(
                    StringPrintf("\"%s\" kept changing while it was sent; the next upload "
                                 "sends it.",
                                 name.c_str()));
                tally.CountBytes(-sending.counted);
                CountFile(file.size, FileEnd::Failed);
                return UploadOutcome::Finished;
            }
            messages.Box(StringPrintf("Failed to write FTP file \"%s\":\n\n%s", name.c_str(),
                                      Cut(reason).c_str()));
            return UploadOutcome::Failed;
        }
        tally.CountBytes(-sending.counted);
        sending.counted = 0;
        const int pause = 1 << (retry - 1);
        messages.Status(StringPrintf("Trying \"%s\" again (%d of %d) in %d second%s: %s",
                                     name.c_str(), retry, kRetries, pause, pause == 1 ? "" : "s",
                                     Cut(reason).c_str()));
        for (int tenth = 0; tenth < pause * 10; ++tenth) {
            if (StopRequested()) {
                return UploadOutcome::Canceled;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        // A connection that only carried a file the server kept wrong, or that changed, is
        // still good.
        if (attempt == Attempt::Lost || !lane.connection) {
            const Result reconnected = Reconnect(lane);
            connected = reconnected.ok();
            if (!connected) {
                reason = reconnected.text();
                if (StopRequested()) {
                    return UploadOutcome::Canceled;
                }
                if (reconnected.kind() == Result::Kind::Refused) {
                    // Asking again would only be refused again, and could lock the account.
                    messages.Box(ConnectFailureText(job.host, reason, job.protocol));
                    return UploadOutcome::Failed;
                }
                continue;  // the next try connects again
            }
        }
        sending.from = ResumePoint(lane, file, sending);
    }
}

std::int64_t UploadSending::ResumePoint(Lane& lane, const Outgoing& file, Sending& sending) {
    const std::string name = PathFileName(file.path);
    if (file.size <= kResumeAbove || sending.reached <= 0 || !sending.sent) {
        return 0;
    }
    const UniqueFd fd(::open(messages.Local(file.path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat now;
    if (!fd.valid() || ::fstat(fd.get(), &now) != 0 || LocalFileState::Of(now) != *sending.sent) {
        messages.Status(StringPrintf(
            "\"%s\" changed since its transfer was cut; it goes again whole", name.c_str()));
        sending.reached = 0;
        return 0;
    }
    // A server that could not say is taken to keep nothing: the file starts over.
    RemoteFileStatus remote;
    bool kept = false;
    if (!EnterLaneFolder(lane, PathFolder(file.path)).ok() ||
        !lane.connection->FindFile(name, remote, kept).ok() || !kept || remote.size <= 0 ||
        remote.size >= now.st_size || remote.size > sending.reached) {
        return 0;
    }
    // A server that writes under another name until a file is whole keeps its earlier copy
    // when the transfer is cut.
    if (file.existed && remote.size == file.before.size && remote.lastWriteTime >= 0 &&
        remote.lastWriteTime == file.before.lastWriteTime) {
        messages.Status(StringPrintf(
            "The server kept its earlier copy of \"%s\"; it goes again whole", name.c_str()));
        return 0;
    }
    if (const Result ours = CheckServerCopy(*lane.connection, name, fd.get(), remote.size);
        !ours.ok()) {
        messages.Status(
            StringPrintf("The server's part of \"%s\" is not the part sent (%s); it goes "
                         "again whole",
                         name.c_str(), Cut(ours.text()).c_str()));
        return 0;
    }
    return remote.size;
}

Result UploadSending::Reconnect(Lane& lane) {
    if (lane.connection) {
        lane.connection->Close();
        lane.connection.reset();
    }
    lane.folder = std::string(1, '\0');
    Expected<std::unique_ptr<FtpClient>> connected = connect(furtherJob);
    if (!connected.ok()) {
        return connected.failure();
    }
    lane.connection = std::move(*connected);
    lane.connection->SetStopFlag(job.stop.get());
    return Result::Ok();
}

Result UploadSending::EnterLaneFolder(Lane& lane, const std::string& folder) {
    if (lane.folder == folder) {
        return Result::Ok();
    }
    Result entered = lane.connection->SetCurrentDirectory(RemoteFolderPath(remoteRoot, folder));
    if (entered.ok()) {
        lane.folder = folder;
    }
    return entered;
}

// The percentage of the file the server has, and the overall one, at most once a second.
void UploadSending::ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent) {
    const std::optional<UploadShown> shown = tally.SendingDue();
    if (!shown) {
        return;
    }
    messages.Status(
        StringPrintf("Uploading \"%s\" - %d%%", name.c_str(), PercentDone(sent, fileSize)));
    messages.Show(*shown);
}

}  // namespace upload_run
