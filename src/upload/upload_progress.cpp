#include "upload/upload_run.h"

namespace upload_run {

// The percentage of the file the server has, and the overall one, at most once a second.
void UploadRun::ShowSending(const std::string& name, std::int64_t fileSize, std::int64_t sent) {
    std::string timing;
    int percent = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!sendingPacer.Due()) {
            return;
        }
        percent = PercentDone(bytesDone + bytesOnTheWay, total);
        timing = TimingText();
    }
    Status(StringPrintf("Uploading \"%s\" - %d%%", name.c_str(), PercentDone(sent, fileSize)));
    PostProgress(job.window, percent);
    TimingStatus(timing);
}

void UploadRun::CountFile(std::int64_t size, bool sent, std::int64_t* kind) {
    int percent = 0;
    std::string timing;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        bytesDone += size;
        ++filesDone;
        if (kind != nullptr) {
            ++*kind;
        }
        if (!sent) {
            tracker.total -= size;  // nothing to send for it: the time left is for the others
        } else if (!job.dryRun) {
            bytesOnTheWay -= size;  // its bytes were counted on their way
        }
        percent = PercentDone(bytesDone + bytesOnTheWay, total);
        timing = TimingText();
    }
    PostProgress(job.window, percent);
    TimingStatus(timing);
}

void UploadRun::Uncount(std::int64_t size) {
    const std::lock_guard<std::mutex> lock(mutex);
    bytesDone -= size;
    --filesDone;
    --sentFiles;
    tracker.total += size;  // its bytes go once more
}

void UploadRun::CountBytes(std::int64_t amount) {
    const std::lock_guard<std::mutex> lock(mutex);
    tracker.Advance(amount);
    bytesOnTheWay += amount;
}

std::string UploadRun::TimingText() const {
    const auto filesLeft = static_cast<std::int64_t>(site.files.size()) - filesDone;
    const std::int64_t bytesLeft = total - bytesDone - bytesOnTheWay;
    std::string text;
    if (filesLeft > 0) {
        text = StringPrintf("%s file%s (%s) left - ", GroupedNumber(filesLeft).c_str(),
                            filesLeft == 1 ? "" : "s", ByteCountText(bytesLeft).c_str());
    }
    return text + tracker.DoneText() + " - " + tracker.RemainingText();
}

// What the run did: the bytes sent and the time, or that nothing had to go.
std::string UploadRun::SummaryText() const {
    std::string text;
    if (job.dryRun) {
        text = StringPrintf("%s file%s (%s) would be sent", GroupedNumber(sentFiles).c_str(),
                            sentFiles == 1 ? "" : "s", ByteCountText(tracker.total).c_str());
        text += WouldBeDeletedText();
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
        text += StringPrintf("; %s file%s could not be sent", GroupedNumber(failedFiles).c_str(),
                             failedFiles == 1 ? "" : "s");
    }
    if (!site.skipped.empty()) {
        text += StringPrintf("; %s left out",
                             GroupedNumber(static_cast<std::int64_t>(site.skipped.size())).c_str());
    }
    if (!site.leftOut.empty()) {
        text += StringPrintf("; %s not part of the site",
                             GroupedNumber(static_cast<std::int64_t>(site.leftOut.size())).c_str());
    }
    if (!site.unread.empty()) {
        text += StringPrintf("; %s folder%s not read whole",
                             GroupedNumber(static_cast<std::int64_t>(site.unread.size())).c_str(),
                             site.unread.size() == 1 ? "" : "s");
    }
    if (filesNotDeleted > 0) {
        text += StringPrintf("; %s file%s not deleted", GroupedNumber(filesNotDeleted).c_str(),
                             filesNotDeleted == 1 ? "" : "s");
    }
    return text;
}

}  // namespace upload_run
