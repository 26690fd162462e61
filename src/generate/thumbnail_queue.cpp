#include "generate/thumbnail_queue.h"

#include <exception>
#include <utility>

#include "work/worker_messages.h"

ThumbnailQueue::ThumbnailQueue(int threads) : next(entries.end()) {
    const int size = PoolSize(threads);
    for (int i = 0; i < size; ++i) {
        pool.emplace_back([this] { Work(); });
    }
}

ThumbnailQueue::~ThumbnailQueue() {
    Cancel();
    for (std::thread& thread : pool) {
        thread.join();
    }
}

int ThumbnailQueue::PoolSize(int threads) {
    if (threads == 0) {
        threads = static_cast<int>(std::thread::hardware_concurrency());
        if (threads == 0) {
            threads = 1;
        }
    }
    return threads > 1 ? threads : 0;
}

void ThumbnailQueue::Add(int record, Job job) {
    if (pool.empty()) {
        return;  // made when asked for
    }
    std::lock_guard lock(mutex);
    const auto [added, inserted] = entries.emplace(record, Entry{std::move(job)});
    if (inserted && next == entries.end()) {
        next = added;
    }
    changed.notify_one();
}

void ThumbnailQueue::Make(int record, const Job& job, int& width, int& height,
                          ThumbnailOutcome* outcome) {
    const auto give = [&width, &height, outcome](Entry& entry) {
        if (entry.made) {
            width = entry.width;
            height = entry.height;
        }
        if (outcome != nullptr) {
            *outcome = std::move(entry.outcome);
        }
    };
    std::unique_lock lock(mutex);
    auto found = entries.find(record);
    if (found == entries.end()) {
        lock.unlock();
        Entry entry{job};
        Run(entry);
        give(entry);
        return;
    }
    Entry& entry = found->second;
    if (entry.state == State::Waiting) {
        entry.state = State::Started;  // no pool thread will take it now
        lock.unlock();
        Run(entry);
        lock.lock();
        entry.state = State::Done;
    }
    changed.wait(lock, [&entry] { return entry.state == State::Done; });
    give(entry);
    if (next == found) {
        ++next;
    }
    entries.erase(found);  // Make asks for each record once
}

void ThumbnailQueue::Cancel() {
    std::lock_guard lock(mutex);
    cancelled = true;
    changed.notify_all();
}

void ThumbnailQueue::Work() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return cancelled || next != entries.end(); });
        if (cancelled || IsStopRequested()) {
            return;
        }
        Entry& entry = next->second;
        ++next;
        if (entry.state != State::Waiting) {
            continue;
        }
        entry.state = State::Started;
        lock.unlock();
        Run(entry);
        lock.lock();
        entry.state = State::Done;
        changed.notify_all();
    }
}

void ThumbnailQueue::Run(Entry& entry) {
    int width = -1;
    int height = -1;
    try {
        MakeThumbnail(entry.job.source, entry.job.thumbnail, entry.job.boxSize, entry.job.boxSize,
                      width, height, entry.job.smart, &entry.outcome);
    } catch (const std::exception& exception) {
        // The imaging adapter reports nothing; a failure leaves no thumbnail, as a
        // failed decode does.
        entry.outcome = {ThumbnailOutcome::Kind::NotMade,
                         std::string("it could not be made: ") + exception.what()};
    }
    entry.made = width >= 0 && height >= 0;
    entry.width = width;
    entry.height = height;
}
