#pragma once

// Starting other programs (a browser, the desktop's database tools) as children that
// live on their own: each gets a session of its own, so a Ctrl+C at the terminal or the
// end of Mavren does not end it, standard input from /dev/null, and the signals a
// program expects at its default. Arguments go to the program as they are, never
// through a shell. Thread-safe.

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/expected.h"

// Starts arguments[0] (searched on PATH when it holds no "/") with the rest as its
// arguments. With quiet set, its output goes to /dev/null as well. The child's pid, or the
// failure ("start" of arguments[0]) from the errno value saying why it could not be started
// (missing, not executable, not a program).
Expected<pid_t> StartChildProcess(const std::vector<std::string>& arguments, bool quiet);
// The same with the child's output and errors going to the descriptors out and err.
Expected<pid_t> StartChildProcess(const std::vector<std::string>& arguments, int out, int err);

// Waits for the child to end: its wait status (see waitpid), or the failure ("wait" of the
// pid) from the errno value saying why it could not be waited for.
Expected<int> WaitForChildProcess(pid_t pid);

// Starts a quiet child and waits for it. True when it ran and exited with status 0.
bool RunChildProcess(const std::vector<std::string>& arguments);
