#pragma once

// Makes the thumbnails of a generation run ahead of the index page writer, on a pool of
// threads, while the pages are written in order. Jobs are numbered by the record they
// belong to and added in increasing order; Make gives a record's result, waiting for it,
// or making it on the caller's thread when no pool thread has started it yet. Pages,
// thumbnails and their order are thus the same as with no pool at all.
//
// A stop request (StopRequested) or Cancel keeps the pool from starting further jobs;
// a job asked for by Make is still made. The destructor cancels and waits for the jobs
// under way. Add, Make and Cancel may be called from different threads.

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/thumbnails.h"

class ThumbnailQueue {
  public:
    struct Job {
        std::string source;     // the image to make the thumbnail of
        std::string thumbnail;  // the thumbnail file to write
        int boxSize = 0;        // edge of the square box
        bool smart = false;     // reuse an up-to-date thumbnail
    };

    // threads: how many pool threads make thumbnails ahead; 0 means one per core, and
    // with 1 or less every thumbnail is made by Make on the caller's thread.
    explicit ThumbnailQueue(int threads);
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

    // Starts no further job in the pool.
    void Cancel();

    // The number of pool threads a request for `threads` gives.
    static int PoolSize(int threads);

  private:
    enum class State { Waiting, Started, Done };
    struct Entry {
        Job job;
        State state = State::Waiting;
        bool made = false;
        int width = 0;
        int height = 0;
        ThumbnailOutcome outcome{};
    };

    void Work();
    static void Run(Entry& entry);

    std::mutex mutex;
    std::condition_variable changed;
    std::map<int, Entry> entries;
    std::map<int, Entry>::iterator next;  // the first entry no pool thread has looked at
    bool cancelled = false;
    std::vector<std::thread> pool;
};
