#include "upload/upload_send.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "upload/internet_errors.h"
#include "upload/remote_paths.h"
#include "upload/sent_files_check.h"
#include "upload/server_copy_check.h"

namespace upload_run {

// One attempt at sending the file, from byte sending.from on when the server keeps what
// came before.
Attempt UploadSending::SendOnce(Lane& lane, const Outgoing& file, Sending& sending) {
    const std::string name = PathFileName(file.path);
    if (!lane.connection) {
        return Attempt::Lost;
    }
    if (const Result entered = EnterLaneFolder(lane, PathFolder(file.path)); !entered.ok()) {
        if (StopRequested()) {
            return Attempt::Stopped;
        }
        if (entered.kind() != Result::Kind::Refused) {
            lane.lost = entered.text();
            return Attempt::Lost;
        }
        const std::string folder = PathFolder(file.path);
        messages.Box(StringPrintf(
            "Failed to change directory on FTP server\n\nDirectory: %s\n\nReason %s",
            folder.empty() ? remoteRoot.c_str() : folder.c_str(), Cut(entered.text()).c_str()));
        return Attempt::Failed;
    }
    const UniqueFd fd(::open(messages.Local(file.path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat before;
    if (!fd.valid() || ::fstat(fd.get(), &before) != 0) {
        messages.Status(
            StringPrintf("Skipping \"%s\" (%s)", name.c_str(), ErrorCodeText(errno).c_str()));
        CountFile(file.size, FileEnd::Passed);
        return Attempt::Refused;
    }
    const LocalFileState state = LocalFileState::Of(before);
    if (sending.from > 0 && state != sending.sent) {
        // Changed since the part on the server was looked at: that part is not its own now.
        sending.from = 0;
    }
    if (sending.from == 0) {
        sending.sent = state;
        sending.reached = 0;
    }

    // What the record keeps is the hash of the bytes as they went, the part before
    // sending.from included.
    ContentHash hash;
    if (sending.from > 0 &&
        !hash.AddFilePart(fd.get(), 0, static_cast<std::uint64_t>(sending.from)).ok()) {
        sending.from = 0;
        hash.Finish();  // begins again
    }

    messages.Status(StringPrintf("Opening \"%s\" ...", name.c_str()));
    std::unique_ptr<FtpRemoteFile> remoteFile;
    Result opened = Result::Ok();
    if (sending.from > 0) {
        opened = lane.connection->ResumeFile(name, sending.from, remoteFile);
        if (opened.ok()) {
            messages.Status(StringPrintf("Going on with \"%s\" from byte %s", name.c_str(),
                                         GroupedNumber(sending.from).c_str()));
        } else if (opened.kind() == Result::Kind::Refused) {
            sending.from = 0;  // the server cannot: the whole file again
            hash.Finish();
        }
    }
    if (sending.from == 0) {
        opened = lane.connection->OpenFile(name, remoteFile);
    }
    if (!opened.ok()) {
        if (StopRequested()) {
            return Attempt::Stopped;
        }
        // A file the server refuses leaves the others to go; a lost connection is tried again.
        if (opened.kind() != Result::Kind::Refused) {
            lane.lost = opened.text();
            return Attempt::Lost;
        }
        messages.Box(StringPrintf("Failed to open FTP file \"%s\":\n\n%s", name.c_str(),
                                  Cut(opened.text()).c_str()));
        CountFile(file.size, FileEnd::Failed);
        return Attempt::Refused;
    }
    if (!sending.reported) {
        messages.Report(UploadAction::Send, file.path, file.size);
        sending.reported = true;
    }
    tally.CountBytes(sending.from - sending.counted);
    sending.counted = sending.from;
    std::int64_t end = 0;
    const Attempt copied = CopyBlocks(lane, *remoteFile, file, fd.get(), sending, hash, end);
    if (copied != Attempt::Sent) {
        return copied;
    }
    messages.Status(StringPrintf("Closing \"%s\" ...", name.c_str()));
    if (const Result closed = remoteFile->Close(); !closed.ok()) {
        return Broken(lane, closed, "Failed to close FTP file", name);
    }
    remoteFile.reset();
    // Whatever comes of it, a next attempt starts whole: what the server kept is not known
    // to be this file's any more.
    const std::int64_t from = sending.from;
    sending.from = 0;
    sending.reached = 0;
    struct stat after;
    if (::fstat(fd.get(), &after) != 0 || LocalFileState::Of(after) != *sending.sent) {
        lane.lost = StringPrintf("\"%s\" changed while it was sent.", name.c_str());
        return Attempt::Changed;
    }
    if (from > 0) {
        if (const Attempt checked = CheckResumed(lane, file, fd.get(), end);
            checked != Attempt::Sent) {
            return checked;
        }
    }
    tally.CountBytes(file.size - sending.counted);
    sending.counted = file.size;
    RecordedFile record{end, sending.sent->modified, hash.Finish()};
    if (from > 0) {
        kept.Keep(file.path, std::move(record));
    } else {
        // Checked later with the others of its folder, in one listing.
        Outgoing sent = file;
        sent.tries = sending.tries;
        lane.unchecked.push_back({std::move(sent), std::move(record)});
    }
    CountFile(file.size, FileEnd::Sent);
    return Attempt::Sent;
}

Attempt UploadSending::CheckResumed(Lane& lane, const Outgoing& file, int fd, std::int64_t end) {
    const std::string name = PathFileName(file.path);
    std::int64_t kept = -1;
    bool found = false;
    Result checked = lane.connection->SizeOf(name, kept, found);
    if (checked.ok() && (!found || kept != end)) {
        lane.lost = SentFileFinding(name, found, kept, end);
        return Attempt::Mismatch;
    }
    if (checked.ok()) {
        checked = CheckServerCopy(*lane.connection, name, fd, end);
    }
    if (checked.ok()) {
        return Attempt::Sent;
    }
    if (StopRequested()) {
        return Attempt::Stopped;
    }
    if (checked.kind() != Result::Kind::Refused) {
        lane.lost = checked.text();
        return Attempt::Lost;
    }
    lane.lost = StringPrintf("The server's copy of \"%s\" is not the file sent: %s.", name.c_str(),
                             checked.text().c_str());
    return Attempt::Mismatch;
}

// Hands the local file from byte sending.from on to the open remote file, block by block,
// each into hash too; end gets where the file ended.
Attempt UploadSending::CopyBlocks(Lane& lane, FtpRemoteFile& remoteFile, const Outgoing& file,
                                  int fd, Sending& sending, ContentHash& hash, std::int64_t& end) {
    const std::string name = PathFileName(file.path);
    std::vector<char>& buffer = lane.buffer;
    const std::int64_t from = sending.from;
    auto offset = static_cast<std::uint64_t>(from);
    for (;;) {
        if (StopRequested()) {
            remoteFile.Abort();
            return Attempt::Stopped;
        }
        const Expected<std::size_t> read = ReadAllAt(fd, offset, buffer.data(), buffer.size());
        const ssize_t got = read.ok() ? static_cast<ssize_t>(*read) : -1;
        if (got < 0) {
            const int error = read.failure().error();
            remoteFile.Abort();
            messages.Box(StringPrintf("Failed to read \"%s\" on local machine\n\nReason: %s",
                                      messages.Local(file.path).c_str(),
                                      ErrorCodeText(error).c_str()));
            Halt(UploadOutcome::Failed, "Error.");
            return Attempt::Failed;
        }
        if (got == 0) {
            end = static_cast<std::int64_t>(offset);
            return Attempt::Sent;
        }
        hash.Add(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        // The most the server can have of ours, a block that fails on its way included:
        // libcurl's own count lags behind.
        sending.reached = std::max(
            sending.reached, static_cast<std::int64_t>(offset) + static_cast<std::int64_t>(got));
        Result written = Result::Ok();
        if (!limiter.Take(got, *job.stop) ||
            !(written = remoteFile.Write(buffer.data(), static_cast<std::size_t>(got))).ok()) {
            if (StopRequested()) {
                remoteFile.Abort();
                return Attempt::Stopped;
            }
            return Broken(lane, written, "Failed to write FTP file", name);
        }
        offset += static_cast<std::uint64_t>(got);
        const std::int64_t sent = from + remoteFile.BytesSent();
        tally.CountBytes(sent - sending.counted);
        sending.counted = sent;
        ShowSending(name, file.size, sent);
    }
}

Attempt UploadSending::Broken(Lane& lane, const Result& failure, const char* what,
                              const std::string& name) {
    if (StopRequested()) {
        return Attempt::Stopped;
    }
    if (failure.kind() != Result::Kind::Refused) {
        lane.lost = failure.text();
        return Attempt::Lost;
    }
    messages.Box(StringPrintf("%s \"%s\":\n\n%s", what, name.c_str(), Cut(failure.text()).c_str()));
    return Attempt::Failed;
}

}  // namespace upload_run
