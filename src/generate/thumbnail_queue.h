#pragma once

// Makes the pictures of a generation run (thumbnails, and with web-size pictures their
// doubles and the web and phone copies) ahead of the page writers, on a pool of threads,
// while the pages are written in order. Jobs are numbered by the record they belong to
// and added in increasing order; Make and Pictures give a record's result, waiting for
// it, or making it on the caller's thread when no pool thread has started it yet. Pages,
// pictures and their order are thus the same as with no pool at all. A result stays
// until the queue goes, so a record may be asked for more than once.
//
// A job whose pictures a record of the sources knows (source_facts_record.h) is taken from
// it without reading the source.
//
// A stop request (the run's stop flag) or Cancel keeps the pool from starting further jobs;
// a job asked for by Make is still made. The destructor cancels and waits for the jobs
// under way. Add, Make, Pictures and Cancel may be called from different threads.
//
// Memory: the decoded pixels of the pictures in flight are bounded by kPixelBudgetBytes
// (a picture that needs more is made alone), and large buffers go back to the system when
// freed, so a run of two jobs on 24-megapixel JPEGs and PNGs stays near 110 MB. A picture
// that its decoder can only give whole is the exception: a HEIF of 24 megapixels alone
// takes a run to some 180 MB.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>

#include <string>
#include <thread>
#include <vector>
#include "platform/mutex.h"

#include "generate/source_facts_record.h"
#include "media/picture_set.h"
#include "media/pixel_budget.h"
#include "work/stop_flag.h"

inline constexpr std::size_t kPixelBudgetBytes = 104 << 20;

class ThumbnailQueue {
  public:
    // The files of one source; thumbnail, boxSize and smart alone make today's thumbnail.
    using Job = PictureSetRequest;

    // threads: how many pool threads make thumbnails ahead; 0 means one per core, and
    // with 1 or less every thumbnail is made by Make on the caller's thread. stop (may be
    // null) must outlive the queue, and so must known (may be null), which the pool only
    // reads.
    explicit ThumbnailQueue(int threads, const StopFlag* stop = nullptr,
                            const SourceFactsRecord* known = nullptr);
    ~ThumbnailQueue();
    ThumbnailQueue(const ThumbnailQueue&) = delete;
    ThumbnailQueue& operator=(const ThumbnailQueue&) = delete;

    // Queues the job of a record; records come in increasing order, each at most once.
    void Add(int record, Job job);

    // The size of the record's thumbnail: the job queued for it, or job when none was.
    // width and height are left untouched when no thumbnail could be made; outcome, when
    // given, says whether it was made or kept, or why there is none.
    void Make(int record, const Job& job, int& width, int& height,
              ThumbnailOutcome* outcome = nullptr);

    // All the record's pictures, made as Make makes them. The reference lives as long as
    // the queue.
    const PictureSet& Pictures(int record, const Job& job);

    // Starts no further job in the pool.
    void Cancel();

    // Calls done with each job made so far and its pictures, in the order of the records.
    void ForEachDone(const std::function<void(const Job&, const PictureSet&)>& done);

    // The number of pool threads a request for `threads` gives.
    static int PoolSize(int threads);

  private:
    enum class State { Waiting, Started, Done };
    struct Entry {
        Job job;
        State state = State::Waiting;
        PictureSet pictures{};
    };

    void Work();
    void Run(Entry& entry);

    Mutex mutex;
    std::condition_variable changed;
    // An entry's state and pictures are read and written under the mutex too, through a
    // reference the analysis does not follow.
    std::map<int, Entry> entries GUARDED_BY(mutex);
    // The first entry no pool thread has looked at.
    std::map<int, Entry>::iterator next GUARDED_BY(mutex);
    bool cancelled GUARDED_BY(mutex) = false;
    const StopFlag* stop;
    const SourceFactsRecord* known;
    // The pictures in flight, on the pool and on the callers' threads alike, share it.
    PixelBudget budget;
    std::vector<std::thread> pool;
};
