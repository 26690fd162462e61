#include "upload/upload_tally.h"

#include <utility>

#include "platform/format.h"

namespace {

// "; 3 files unchanged", or nothing for no file.
std::string CountText(std::int64_t files, const char* what) {
    if (files <= 0) {
        return {};
    }
    return StringPrintf("; %s file%s %s", GroupedNumber(files).c_str(), files == 1 ? "" : "s",
                        what);
}

}  // namespace

UploadTally::UploadTally(bool dryRun, std::unique_ptr<ProgressTracker> tracker)
    : dryRun(dryRun), tracker(std::move(tracker)) {}

void UploadTally::Start(std::int64_t siteFiles, std::int64_t bytes) {
    const MutexLock lock(mutex);
    files = siteFiles;
    total = bytes;
    tracker->Start("byte", bytes);
}

void UploadTally::Resize(std::int64_t from, std::int64_t to) {
    const MutexLock lock(mutex);
    total += to - from;
    tracker->total += to - from;
}

void UploadTally::HoldSending() {
    const MutexLock lock(mutex);
    sendingPacer.Hold();
}

UploadShown UploadTally::CountFile(std::int64_t size, FileEnd end) {
    const MutexLock lock(mutex);
    bytesDone += size;
    ++filesDone;
    switch (end) {
        case FileEnd::Passed:
            break;
        case FileEnd::Unchanged:
            ++unchangedFiles;
            break;
        case FileEnd::Sent:
            ++sentFiles;
            break;
        case FileEnd::Failed:
            ++failed;
            break;
    }
    if (end != FileEnd::Sent) {
        tracker->total -= size;  // nothing to send for it: the time left is for the others
    } else if (!dryRun) {
        bytesOnTheWay -= size;  // its bytes were counted on their way
    }
    return Shown();
}

void UploadTally::Uncount(std::int64_t size) {
    const MutexLock lock(mutex);
    bytesDone -= size;
    --filesDone;
    --sentFiles;
    tracker->total += size;  // its bytes go once more
}

void UploadTally::CountBytes(std::int64_t amount) {
    const MutexLock lock(mutex);
    tracker->Advance(amount);
    bytesOnTheWay += amount;
}

std::optional<UploadShown> UploadTally::SendingDue() {
    const MutexLock lock(mutex);
    if (!sendingPacer.Due()) {
        return std::nullopt;
    }
    return Shown();
}

std::int64_t UploadTally::failedFiles() const {
    const MutexLock lock(mutex);
    return failed;
}

UploadShown UploadTally::Shown() const {
    return {PercentDone(bytesDone + bytesOnTheWay, total), TimingText()};
}

std::string UploadTally::TimingText() const {
    const std::int64_t filesLeft = files - filesDone;
    const std::int64_t bytesLeft = total - bytesDone - bytesOnTheWay;
    std::string text;
    if (filesLeft > 0) {
        text = StringPrintf("%s file%s (%s) left - ", GroupedNumber(filesLeft).c_str(),
                            filesLeft == 1 ? "" : "s", ByteCountText(bytesLeft).c_str());
    }
    return text + tracker->DoneText() + " - " + tracker->RemainingText();
}

std::string UploadTally::SummaryText(const UploadSummaryFacts& facts) const {
    const MutexLock lock(mutex);
    std::string text;
    if (facts.dryRun) {
        text = StringPrintf("%s file%s (%s) would be sent", GroupedNumber(sentFiles).c_str(),
                            sentFiles == 1 ? "" : "s", ByteCountText(tracker->total).c_str());
        text += facts.wouldBeDeleted;
    } else if (tracker->done == 0 && failed == 0) {
        text = "0 bytes sent";
    } else {
        text = tracker->DoneText();
    }
    text += CountText(unchangedFiles, "unchanged");
    text += CountText(failed, "could not be sent");
    if (facts.leftOut > 0) {
        text += StringPrintf("; %s left out", GroupedNumber(facts.leftOut).c_str());
    }
    if (facts.notPartOfSite > 0) {
        text +=
            StringPrintf("; %s not part of the site", GroupedNumber(facts.notPartOfSite).c_str());
    }
    if (facts.foldersNotRead > 0) {
        text += StringPrintf("; %s folder%s not read whole",
                             GroupedNumber(facts.foldersNotRead).c_str(),
                             facts.foldersNotRead == 1 ? "" : "s");
    }
    text += CountText(facts.filesNotDeleted, "not deleted");
    return text;
}
