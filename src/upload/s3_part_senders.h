#pragma once

// The parts of one multipart upload on their way: each on a thread and a connection of its
// own, or one by one on the caller's connection when there are no others. A part whose
// size and MD5 match one the server holds already (left by an earlier attempt) is not
// sent again. Memory stays bounded: Send waits while every connection has a part.
//
// Send, Finish and Abort belong to the thread that made the senders (the thread of the
// first connection); BytesKept and BytesTransferred are safe from any thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/mutex.h"
#include "upload/s3_multipart.h"
#include "work/stop_flag.h"

class S3PartSenders {
  public:
    // Parts of uploadId of key go through others (a thread each; they become the
    // senders' own) or, when there are none, through first. present: the parts the
    // server holds, by number. stop: the upload's stop flag, or null; without it a part
    // on its way ends on the flag its connection came with, and Abort waits for it.
    S3PartSenders(S3Connection& first, std::vector<std::unique_ptr<S3Connection>> others,
                  const StopFlag* stop, std::string key, std::string uploadId,
                  std::map<int, S3Part> present);
    // Ends what is still on its way, as Abort.
    ~S3PartSenders();
    S3PartSenders(const S3PartSenders&) = delete;
    S3PartSenders& operator=(const S3PartSenders&) = delete;

    // Hands part number over, waiting while every connection is busy. Fails once a part
    // failed, a stop came or Abort was called.
    Result Send(int number, std::string bytes);
    // Waits until every part handed over is on the server; parts gets them in order.
    Result Finish(std::vector<S3Part>& parts);
    // Ends every part on its way at once; later calls fail.
    void Abort();

    // The bytes of the parts on the server, those there before included.
    std::int64_t BytesKept() const { return kept.load(); }
    // The bytes of the parts sent by these senders.
    std::int64_t BytesTransferred() const { return transferred.load(); }

  private:
    struct Part {
        int number = 0;
        std::string bytes;
    };

    // Sends or takes up one part on connection; done gets it as the server holds it.
    Result SendPart(S3Connection& connection, const Part& part, S3Part& done);
    void Run(S3Connection& connection);
    // Records how a part ended.
    void Record(Result sent, S3Part done) REQUIRES(mutex);
    // What Send and Finish wait for: room for one more part, or every part done.
    enum class Awaited { Room, AllDone };
    // Waits until what is awaited or a failure, looking at the stop flag.
    void Wait(Awaited awaited) REQUIRES(mutex);

    S3Connection& first;
    std::vector<std::unique_ptr<S3Connection>> others;
    const StopFlag* stop;
    const std::string key;
    const std::string uploadId;
    const std::map<int, S3Part> present;

    // Set on a failure, a stop or Abort: the other connections' requests end at once.
    StopFlag cut;
    std::atomic<std::int64_t> kept{0};
    std::atomic<std::int64_t> transferred{0};

    Mutex mutex;
    std::condition_variable changed;
    std::deque<Part> waiting GUARDED_BY(mutex);
    int busy GUARDED_BY(mutex) = 0;
    bool finishing GUARDED_BY(mutex) = false;
    std::optional<Result> failure GUARDED_BY(mutex);
    std::vector<S3Part> done GUARDED_BY(mutex);
    std::vector<std::thread> threads;
};
