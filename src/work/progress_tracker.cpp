#include "work/progress_tracker.h"

#include "platform/format.h"

void ProgressTracker::Start(const std::string& unitName, std::int64_t totalAmount) {
    unit = unitName;
    total = totalAmount;
    done = 0;
    started = Now();
}

std::int64_t ProgressTracker::Advance(std::int64_t amount) {
    done += amount;
    return amount;
}

int ProgressTracker::ElapsedSeconds() const {
    return static_cast<int>(Now() - started);
}

std::string ProgressTracker::ElapsedText() const {
    const int seconds = ElapsedSeconds();
    return StringPrintf("%d %s", seconds, seconds == 1 ? "second" : "seconds");
}

std::string ProgressTracker::DoneText() const {
    return StringPrintf("%s %s%s in %s", GroupedNumber(done).c_str(), unit.c_str(),
                        done == 1 ? "" : "s", ElapsedText().c_str());
}

bool ProgressTracker::Estimates() const {
    return ElapsedSeconds() >= 1 && done >= 1;
}

std::string ProgressTracker::RemainingText() const {
    if (!Estimates()) {
        return "calculating remaining time";
    }
    const int elapsed = ElapsedSeconds();
    auto remaining =
        static_cast<long long>(static_cast<double>(elapsed) / static_cast<double>(done) *
                               static_cast<double>(total - done));
    if (remaining < 0) {
        remaining = 0;  // more done than announced: nothing is left
    }
    std::string word = "second";
    if (remaining > 60) {
        remaining /= 60;
        word = "minute";
    }
    if (remaining != 1) {
        word += "s";
    }
    return StringPrintf("%lld %s remaining", remaining, word.c_str());
}

std::time_t ProgressTracker::Now() const {
    return std::time(nullptr);
}
