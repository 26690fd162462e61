#include "generate/thumbnail_queue.h"

#include <malloc.h>

#include <exception>
#include <utility>

ThumbnailQueue::ThumbnailQueue(int threads, const StopFlag* stop, const SourceFactsRecord* known)
    : next(entries.end()), stop(stop), known(known), budget(kPixelBudgetBytes) {
    // glibc raises its threshold for mapping a block of its own after such a block is
    // freed, up to 32 MB; decoded pictures below that would then come from the heaps of
    // the threads and stay with the process after they are freed. A fixed threshold keeps
    // every picture buffer mapped alone and given back whole.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
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
    const MutexLock lock(mutex);
    const auto [added, inserted] = entries.emplace(record, Entry{std::move(job)});
    if (pool.empty()) {
        return;  // made when asked for
    }
    if (inserted && next == entries.end()) {
        next = added;
    }
    changed.notify_one();
}

void ThumbnailQueue::Make(int record, const Job& job, int& width, int& height,
                          ThumbnailOutcome* outcome) {
    const PictureSet& pictures = Pictures(record, job);
    if (pictures.thumbnailFile.exists) {
        width = pictures.thumbnailFile.width;
        height = pictures.thumbnailFile.height;
    }
    if (outcome != nullptr) {
        *outcome = pictures.thumbnail;
    }
}

const PictureSet& ThumbnailQueue::Pictures(int record, const Job& job) {
    MutexLock lock(mutex);
    auto found = entries.find(record);
    if (found == entries.end()) {
        found = entries.emplace(record, Entry{job}).first;
    }
    Entry& entry = found->second;
    if (entry.state == State::Waiting) {
        entry.state = State::Started;  // no pool thread will take it now
        lock.Unlock();
        Run(entry);
        lock.Lock();
        entry.state = State::Done;
        changed.notify_all();
    }
    while (entry.state != State::Done) {
        mutex.Wait(changed);
    }
    return entry.pictures;
}

void ThumbnailQueue::Cancel() {
    const MutexLock lock(mutex);
    cancelled = true;
    changed.notify_all();
}

void ThumbnailQueue::ForEachDone(const std::function<void(const Job&, const PictureSet&)>& done) {
    const MutexLock lock(mutex);
    for (const auto& [record, entry] : entries) {
        if (entry.state == State::Done) {
            done(entry.job, entry.pictures);
        }
    }
}

void ThumbnailQueue::Work() {
    MutexLock lock(mutex);
    for (;;) {
        while (!cancelled && next == entries.end()) {
            mutex.Wait(changed);
        }
        if (cancelled || IsStopRequested(stop)) {
            return;
        }
        Entry& entry = next->second;
        ++next;
        if (entry.state != State::Waiting) {
            continue;
        }
        entry.state = State::Started;
        lock.Unlock();
        Run(entry);
        lock.Lock();
        entry.state = State::Done;
        changed.notify_all();
    }
}

void ThumbnailQueue::Run(Entry& entry) {
    if (known != nullptr && known->KnownPictures(entry.job, entry.pictures)) {
        return;
    }
    try {
        entry.job.budget = &budget;
        entry.pictures = MakePictureSet(entry.job);
        // What a picture's libraries freed stays in the heap of the thread that made it,
        // where the next large decode on another thread cannot use it: a PNG made before a
        // HEIF left the run some 20 MB higher.
        malloc_trim(0);
    } catch (const std::exception& exception) {
        // The imaging adapter reports nothing; a failure leaves no thumbnail, as a
        // failed decode does.
        entry.pictures = {};
        entry.pictures.thumbnail = {
            ThumbnailOutcome::Kind::NotMade,
            Result::Failure(std::string("it could not be made: ") + exception.what())};
    }
}
