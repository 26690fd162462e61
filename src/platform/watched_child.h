#pragma once

// Running a program that may take long or hang on what it is given (ffmpeg on a hostile
// video) as a child with a time limit: its standard output is read as it comes, its
// standard error kept at its tail, and it is killed, with everything it started, once
// the limit passes or the caller asks it to stop, within a tenth of a second of asking.
// Arguments go to the program as they are, never through a shell. Thread-safe.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/result.h"

struct WatchedChildRun {
    std::vector<std::string> arguments;  // arguments[0]: the program, a full path or a name
    double timeLimitSeconds = 0;         // 0: none
    // Polled while the child runs; true ends it.
    std::function<bool()> stopped{};
    // Each line of the child's standard output, without its end; when not given, the
    // output is kept in WatchedChildEnd::output, up to outputLimit bytes.
    std::function<void(const std::string& line)> onLine{};
    std::size_t outputLimit = 4 << 20;
};

struct WatchedChildEnd {
    // Why it could not be started: "start" of the program, from errno (kind NotFound:
    // missing); ok once it has started.
    Result start = Result::Ok();
    bool timedOut = false;  // killed at the time limit
    bool stopped = false;   // killed because the caller asked
    int status = -1;        // its wait status when it ended on its own
    std::string output;     // standard output, when no onLine was given
    std::string errors;     // the last 4 KB of its standard error

    // Ran and exited with status 0.
    bool ok() const;
};

WatchedChildEnd RunWatchedChild(const WatchedChildRun& run);
