#pragma once

// The work a window runs on a worker thread (a generation run, an upload), and the close of
// a window while it runs. One run at a time: a start is refused while a run goes on and
// while the thread of the last one is still ending after its end was heard. Closing while a
// run goes on asks it to stop, then waits for its end (the worker's WM_APP_WORK_DONE, which
// the window hands to WorkDone) or for the close time-out, whichever comes first, and only
// then lets the window close; the run is left behind after the time-out. A close asked for
// while one waits neither waits again nor closes a second time.
//
// GUI thread only; it never waits for the worker. The window owns it, and the time-out goes
// with it.

#include <QTimer>
#include <functional>
#include <memory>

#include "platform/worker_thread.h"
#include "work/stop_flag.h"

enum class WorkStart {
    Started,
    Busy,      // a run goes on, or the thread of the last one has not ended yet
    NoThread,  // no thread could be started
};

class WindowWork {
  public:
    // ended: the window's own part of a run's end, called each time one is heard. close:
    // the rest of the window's closing sequence, called once per close, after ended when
    // the close waited for a run. The close time-out is stopWaitMilliseconds.
    WindowWork(int stopWaitMilliseconds, std::function<void()> ended, std::function<void()> close);
    WindowWork(const WindowWork&) = delete;
    WindowWork& operator=(const WindowWork&) = delete;

    // Runs work on a worker thread; stop is the flag the work polls (may be null).
    WorkStart Start(std::shared_ptr<StopFlag> stop, std::function<void()> work);
    // Asks the run to stop; its end is heard later through WorkDone.
    void Stop();
    // True from a start until the run's end is heard.
    bool IsRunning() const { return m_running; }
    // True while a close waits for the run's end.
    bool IsClosing() const { return m_closing; }

    // Closes the window: at once when no run goes on; otherwise asks the run to stop and
    // closes when its end is heard or the time-out has passed. True when this call began
    // such a wait.
    bool Close();
    // The run's end, heard from the worker.
    void WorkDone();

  private:
    void FinishClose();

    const std::function<void()> m_ended;
    const std::function<void()> m_close;
    WorkerThread m_worker;
    std::shared_ptr<StopFlag> m_stop;  // the flag of the last run, shared with its worker
    QTimer m_closeWait;
    bool m_running = false;
    bool m_closing = false;
};
