#include "platform/watched_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/child_process.h"
#include "platform/file_descriptor.h"

namespace {

constexpr std::size_t kErrorTail = 4096;
constexpr int kPollMilliseconds = 100;

// A pipe whose ends close on exec, so a child started meanwhile by another thread does
// not hold it open; the reading end does not block.
bool MakePipe(UniqueFd& read, UniqueFd& write) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    read = UniqueFd(ends[0]);
    write = UniqueFd(ends[1]);
    return ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK) == 0;
}

// A descriptor that becomes readable when the child ends, or none where the kernel has
// no pidfd (the loop then notices the end at its next turn).
UniqueFd OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
#else
    (void)pid;
    return UniqueFd();
#endif
}

// Whether the child has ended, leaving it a zombie: its pid, and so its group's id,
// cannot be taken by another process until it is reaped.
bool HasEnded(pid_t pid) {
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        if (errno != EINTR) {
            return true;
        }
    }
    return info.si_pid == pid;
}

// What the child writes, taken as it comes.
class OutputSink {
  public:
    explicit OutputSink(const WatchedChildRun& run, WatchedChildEnd& end) : run(run), end(end) {}

    void TakeOutput(const char* data, std::size_t size) {
        if (!run.onLine) {
            const std::size_t room = run.outputLimit - std::min(run.outputLimit, end.output.size());
            end.output.append(data, std::min(room, size));
            return;
        }
        pending.append(data, size);
        std::size_t start = 0;
        for (std::size_t newline; (newline = pending.find('\n', start)) != std::string::npos;
             start = newline + 1) {
            run.onLine(pending.substr(start, newline - start));
        }
        pending.erase(0, start);
    }

    void TakeErrors(const char* data, std::size_t size) {
        end.errors.append(data, size);
        if (end.errors.size() > kErrorTail) {
            end.errors.erase(0, end.errors.size() - kErrorTail);
        }
    }

    // A last line without its end.
    void Finish() {
        if (run.onLine && !pending.empty()) {
            run.onLine(pending);
        }
    }

  private:
    const WatchedChildRun& run;
    WatchedChildEnd& end;
    std::string pending;
};

// Reads what the descriptor holds now. False once it is at its end (or broken).
bool Drain(UniqueFd& fd, OutputSink& sink, bool errors) {
    char buffer[16384];
    while (fd.valid()) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count > 0) {
            const auto size = static_cast<std::size_t>(count);
            errors ? sink.TakeErrors(buffer, size) : sink.TakeOutput(buffer, size);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && errno == EAGAIN) {
            return true;
        } else {
            fd = UniqueFd();
        }
    }
    return false;
}

}  // namespace

bool WatchedChildEnd::ok() const {
    return start.ok() && !timedOut && !stopped && status != -1 && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

WatchedChildEnd RunWatchedChild(const WatchedChildRun& run) {
    WatchedChildEnd end;
    UniqueFd outRead;
    UniqueFd outWrite;
    UniqueFd errRead;
    UniqueFd errWrite;
    if (!MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) {
        end.start =
            Result::FromErrno("start", run.arguments.empty() ? "" : run.arguments[0], errno);
        return end;
    }
    const Expected<pid_t> started =
        StartChildProcess(run.arguments, outWrite.get(), errWrite.get());
    outWrite = UniqueFd();
    errWrite = UniqueFd();
    if (!started.ok()) {
        end.start = started.failure();
        return end;
    }
    const pid_t pid = *started;

    const UniqueFd pidFd = OpenPidFd(pid);
    const auto start = std::chrono::steady_clock::now();
    OutputSink sink(run, end);
    for (;;) {
        if (HasEnded(pid)) {
            break;
        }
        if (run.stopped && run.stopped()) {
            end.stopped = true;
            break;
        }
        int wait = kPollMilliseconds;
        if (run.timeLimitSeconds > 0) {
            const double left =
                run.timeLimitSeconds -
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (left <= 0) {
                end.timedOut = true;
                break;
            }
            wait = std::min(wait, static_cast<int>(left * 1000) + 1);
        }
        pollfd polled[3] = {
            {outRead.get(), POLLIN, 0}, {errRead.get(), POLLIN, 0}, {pidFd.get(), POLLIN, 0}};
        // Without a pidfd, a child that has closed its output is looked at ten times as
        // often, so its end is not noticed a whole turn late.
        if (!pidFd.valid() && !outRead.valid() && !errRead.valid()) {
            wait = std::min(wait, 10);
        }
        if (::poll(polled, 3, wait) < 0 && errno != EINTR) {
            break;
        }
        Drain(outRead, sink, false);
        Drain(errRead, sink, true);
    }
    // Whatever it started goes with it; its pid stays its own until it is reaped below.
    ::kill(-pid, SIGKILL);
    const Expected<int> status = WaitForChildProcess(pid);
    if (!end.stopped && !end.timedOut) {
        end.status = status.ok() ? *status : -1;
        // What it wrote before it ended is still in the pipes.
        Drain(outRead, sink, false);
        Drain(errRead, sink, true);
        sink.Finish();
    }
    return end;
}
