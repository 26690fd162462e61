#include "upload/s3_part_senders.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "upload/internet_errors.h"

namespace {

// How long a wait for the part senders may last before the stop flag is looked at again.
constexpr std::chrono::milliseconds kStopCheck{50};

Result Stopped() {
    return InternetStopped();
}

}  // namespace

S3PartSenders::S3PartSenders(S3Connection& first, std::vector<std::unique_ptr<S3Connection>> others,
                             const StopFlag* stop, std::string key, std::string uploadId,
                             std::map<int, S3Part> present)
    : first(first),
      others(std::move(others)),
      stop(stop),
      key(std::move(key)),
      uploadId(std::move(uploadId)),
      present(std::move(present)) {
    for (const auto& connection : this->others) {
        // Knowing the upload's stop flag, we pass it on (in Wait, and by Abort, which the
        // worker calls on a stop) to a flag of our own, which a failed part sets too: one
        // part that fails ends the others at once. Else the connections keep the flag
        // they came with.
        if (stop != nullptr) {
            connection->SetStopFlag(&cut);
        }
        threads.emplace_back([this, &connection] { Run(*connection); });
    }
}

S3PartSenders::~S3PartSenders() {
    Abort();
}

Result S3PartSenders::SendPart(S3Connection& connection, const Part& part, S3Part& got) {
    const auto size = static_cast<std::int64_t>(part.bytes.size());
    const S3Md5 md5 = S3Md5Of(part.bytes);
    if (const auto there = present.find(part.number); there != present.end() &&
                                                      there->second.size == size &&
                                                      S3EtagIsMd5(there->second.etag, md5.hex)) {
        got = there->second;
        kept += size;
        return Result::Ok();
    }
    std::string etag;
    const Result sent = S3UploadPart(connection, key, uploadId, part.number, part.bytes, md5, etag);
    if (sent.ok()) {
        got = {part.number, size, std::move(etag)};
        kept += size;
        transferred += size;
    }
    return sent;
}

void S3PartSenders::Record(Result sent, S3Part got) {
    if (sent.ok()) {
        done.push_back(std::move(got));
    } else if (!failure) {
        failure = std::move(sent);
        cut.Request();
    }
    changed.notify_all();
}

void S3PartSenders::Run(S3Connection& connection) {
    MutexLock lock(mutex);
    for (;;) {
        while (waiting.empty() && !finishing && !failure) {
            mutex.Wait(changed);
        }
        if (failure || waiting.empty()) {
            return;
        }
        Part part = std::move(waiting.front());
        waiting.pop_front();
        ++busy;
        lock.Unlock();
        S3Part got;
        Result sent = SendPart(connection, part, got);
        part.bytes = std::string();  // before waiting for the lock: memory stays bounded
        lock.Lock();
        --busy;
        Record(std::move(sent), std::move(got));
    }
}

void S3PartSenders::Wait(Awaited awaited) {
    // The stop first: a part that is done must not make the object once it was asked.
    while (!failure) {
        if (IsStopRequested(stop)) {
            failure = Stopped();
            cut.Request();
            changed.notify_all();
            return;
        }
        const bool ready = awaited == Awaited::Room
                               ? waiting.size() + static_cast<std::size_t>(busy) < threads.size()
                               : waiting.empty() && busy == 0;
        if (ready) {
            return;
        }
        mutex.WaitUntil(changed, std::chrono::steady_clock::now() + kStopCheck);
    }
}

Result S3PartSenders::Send(int number, std::string bytes) {
    if (threads.empty()) {
        {
            const MutexLock lock(mutex);
            if (!failure && IsStopRequested(stop)) {
                failure = Stopped();
            }
            if (failure) {
                return *failure;
            }
        }
        S3Part got;
        Result sent = SendPart(first, Part{number, std::move(bytes)}, got);
        const MutexLock lock(mutex);
        Record(std::move(sent), std::move(got));
        return failure ? *failure : Result::Ok();
    }
    const MutexLock lock(mutex);
    Wait(Awaited::Room);
    if (failure) {
        return *failure;
    }
    waiting.push_back(Part{number, std::move(bytes)});
    changed.notify_all();
    return Result::Ok();
}

Result S3PartSenders::Finish(std::vector<S3Part>& parts) {
    parts.clear();
    {
        const MutexLock lock(mutex);
        finishing = true;
        changed.notify_all();
        Wait(Awaited::AllDone);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    threads.clear();
    const MutexLock lock(mutex);
    if (failure) {
        return *failure;
    }
    parts = done;
    std::sort(parts.begin(), parts.end(),
              [](const S3Part& a, const S3Part& b) { return a.number < b.number; });
    return Result::Ok();
}

void S3PartSenders::Abort() {
    {
        const MutexLock lock(mutex);
        if (!failure) {
            failure = Stopped();
        }
        cut.Request();
        changed.notify_all();
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    threads.clear();
}
