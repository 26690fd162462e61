#include "generate/video_web_copies.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <optional>
#include <thread>

#include "generate/damaged_pictures.h"
#include "generate/picture_names.h"
#include "generate/thumbnail_queue.h"
#include "media/video_copies.h"
#include "platform/format.h"
#include "platform/mutex.h"
#include "platform/paths.h"
#include "work/progress_pacing.h"
#include "work/progress_tracker.h"

namespace {

// Two encodes keep both cores of a small machine busy; more only share the same cores and
// hold more memory.
constexpr int kMostEncodesAtOnce = 2;

struct Encode {
    std::size_t record = 0;
    std::string listed;  // the source as the record of the sources knows it
    std::string name;
    VideoWebCopyRequest request;
    VideoProbe probe;
    std::int64_t milliseconds = 1;  // its length, the unit of the time left; at least 1
    // Set by the encoding threads under the lock.
    double done = 0;
    bool started = false;
    std::optional<Result> result{};
    VideoWebCopy made{};
};

class Encoder {
  public:
    Encoder(std::vector<Encode>& encodes, const VideoTools& tools, const StopFlag* stop)
        : encodes(encodes), tools(tools), stop(stop) {}

    void Run(int threads) {
        std::vector<std::thread> pool;
        for (int i = 0; i < threads; ++i) {
            pool.emplace_back([this] { Work(); });
        }
        for (std::thread& thread : pool) {
            thread.join();
        }
    }

    // Waits until something changed or a quarter of a second passed; calls look with the
    // encodes under the lock. False once every encode has ended.
    template <typename Look>
    bool Watch(Look look) {
        const MutexLock lock(mutex);
        mutex.WaitUntil(changed, std::chrono::steady_clock::now() + std::chrono::milliseconds(250));
        look();
        return ended < encodes.size();
    }

  private:
    void Work() {
        for (;;) {
            Encode* encode = nullptr;
            {
                const MutexLock lock(mutex);
                if (next >= encodes.size()) {
                    return;
                }
                encode = &encodes[next++];
                if (IsStopRequested(stop)) {
                    encode->result = Result::Failure("Stopped", Result::Kind::Stopped);
                    ++ended;
                    changed.notify_all();
                    continue;
                }
                encode->started = true;
            }
            VideoWebCopyRequest request = encode->request;
            request.stopped = [this] { return IsStopRequested(stop); };
            request.progress = [this, encode](double done) {
                const MutexLock lock(mutex);
                encode->done = std::clamp(done, 0.0, 1.0);
                changed.notify_all();
            };
            VideoWebCopy made;
            Result result = MakeVideoWebCopy(tools, encode->probe, request, made);
            const MutexLock lock(mutex);
            encode->made = made;
            encode->result = std::move(result);
            ++ended;
            changed.notify_all();
        }
    }

    std::vector<Encode>& encodes;
    const VideoTools& tools;
    const StopFlag* stop;
    // Guards the encodes' progress and ends too, which the analysis cannot see through
    // the reference.
    Mutex mutex;
    std::condition_variable changed;
    std::size_t next GUARDED_BY(mutex) = 0;
    std::size_t ended GUARDED_BY(mutex) = 0;
};

void UseCopy(SourceRecord& record, const VideoWebCopy& made) {
    record.webVideo = VideoWebCopyName(record.source);
    record.webWidth = made.width;
    record.webHeight = made.height;
}

}  // namespace

void MakeVideoWebCopies(std::vector<SourceRecord>& records, const std::vector<std::string>& listed,
                        VideoRun& run, GenerationSummary& summary) {
    const std::string target = run.program.GetText(ProgramKey::TargetDir);
    const int size = run.program.GetInt(ProgramKey::PhotoVideoSize);
    std::vector<Encode> encodes;
    for (std::size_t i = 0; i < records.size() && i < listed.size(); ++i) {
        SourceRecord& record = records[i];
        // A video without a poster could not be read; its placeholder stands for it.
        if (!record.video || !record.damage.empty() || record.webCopy.empty()) {
            continue;
        }
        const std::string destination = JoinPath(target, VideoWebCopyName(record.source));
        VideoWebCopy made;
        if (run.sources.KnownVideoCopy(listed[i], destination, size, made)) {
            UseCopy(record, made);
            ++summary.videosKept;
            continue;
        }
        Encode encode;
        if (!run.sources.Video(listed[i], record.source, encode.probe).ok()) {
            continue;  // measured a moment ago; a video that went since is left as it is
        }
        encode.record = i;
        encode.listed = listed[i];
        encode.name = PathFileName(record.source);
        encode.request.source = record.source;
        encode.request.destination = destination;
        encode.request.size = size;
        encode.request.threads = run.program.GetInt(ProgramKey::PhotoVideoThreads);
        encode.milliseconds =
            std::max<std::int64_t>(1, static_cast<std::int64_t>(encode.probe.seconds * 1000));
        encodes.push_back(std::move(encode));
    }
    if (encodes.empty()) {
        return;
    }

    std::int64_t total = 0;
    for (const Encode& encode : encodes) {
        total += encode.milliseconds;
    }
    ProgressTracker tracker;
    tracker.Start("millisecond", total);
    StatusPacer pacer;
    Encoder encoder(encodes, run.sources.Tools(), run.stop);
    const int threads = std::clamp(ThumbnailQueue::PoolSize(run.jobs), 1, kMostEncodesAtOnce);
    std::thread encoding([&encoder, threads] { encoder.Run(threads); });
    std::vector<bool> handled(encodes.size(), false);
    for (bool going = true; going;) {
        std::vector<std::size_t> finished;
        std::string line;
        std::int64_t done = 0;
        going = encoder.Watch([&] {
            const Encode* shown = nullptr;
            for (std::size_t e = 0; e < encodes.size(); ++e) {
                const Encode& encode = encodes[e];
                if (encode.result && !handled[e]) {
                    finished.push_back(e);
                    handled[e] = true;
                }
                done += encode.result ? encode.milliseconds
                                      : static_cast<std::int64_t>(
                                            encode.done * static_cast<double>(encode.milliseconds));
                if (shown == nullptr && encode.started && !encode.result) {
                    shown = &encode;
                    line = StringPrintf("Video %zu of %zu: %s - %d %%", e + 1, encodes.size(),
                                        encode.name.c_str(), static_cast<int>(encode.done * 100));
                }
            }
        });
        for (const std::size_t e : finished) {
            Encode& encode = encodes[e];
            SourceRecord& record = records[encode.record];
            if (encode.result->ok()) {
                run.sources.NoteVideoCopy(encode.listed, encode.request.destination, size,
                                          encode.made);
                UseCopy(record, encode.made);
                ++summary.videosMade;
            } else if (!IsStopRequested(run.stop)) {
                PostStatusText(run.window,
                               "Cannot show \"" + encode.name + "\": " + encode.result->reason());
                MarkDamaged(record, encode.result->reason());
            }
        }
        tracker.done = done;
        if (!line.empty() && !IsStopRequested(run.stop) && pacer.Due()) {
            PostStatusText(run.window,
                           line + (tracker.Estimates() ? " - " + tracker.RemainingText() : ""));
            PostProgress(run.window, PercentDone(done, total));
        }
    }
    encoding.join();
}
