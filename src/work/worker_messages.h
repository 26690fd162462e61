#pragma once

// How a worker thread reports on its long job (a generation run, an upload) without
// touching a window: it posts one of five messages to the receiver that owns the job.
// A job is asked to stop through the stop flag in its request (work/stop_flag.h). A
// failure goes the same way, as a box for the front end to show; only the questions a job
// must have answered before it goes on are asked through platform/message_box.h.
//
// A front end implements WorkerMessageReceiver and hands messages over to its own
// thread (the Qt window queues an event, mavren-cli a line to print); it gives its
// receiver to each job it starts, as part of the job. Post is called on the worker's
// thread and must not block; the message's text is owned by the message. A receiver must
// stay safe to post to after its window has gone (the worker may outlive the window).
// The posting functions are safe from any thread.

#include <memory>
#include <string>
#include <utility>

#include "platform/message_box.h"

// The message numbers, offsets from the first application message number.
constexpr unsigned WM_APP = 0x8000;
constexpr unsigned WM_APP_PROGRESS = WM_APP + 1000;     // wParam: percent done, 0 to 100
constexpr unsigned WM_APP_STATUS_TEXT = WM_APP + 1001;  // text: a status line
constexpr unsigned WM_APP_ERROR_TEXT = WM_APP + 1002;   // text: an error to show in a box,
                                                        // wParam: its MB_OK and icon flags
constexpr unsigned WM_APP_WORK_DONE = WM_APP + 1003;    // the worker has ended
constexpr unsigned WM_APP_TIMING_TEXT = WM_APP + 1004;  // text: an upload's timing line

struct WorkerMessage {
    unsigned message = 0;
    int wParam = 0;
    std::string text;  // the status, error or timing line; empty for the other two messages
    // An error box's worker waits until the message's last copy is gone: a front end keeps
    // the message until the user has closed its box, or drops it unseen.
    std::shared_ptr<void> boxOpen;
};

class WorkerMessageReceiver {
  public:
    virtual ~WorkerMessageReceiver() = default;
    virtual void Post(WorkerMessage message) = 0;
};

// Each posts one message to window; a null window drops it. Nothing is reported back.
void PostStatusText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text);
void PostTimingText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text);
// The worker waits until the window has shown the failure's box and the user closed it
// (or the window dropped it unseen), so that what the worker does next, a question
// above all, comes after it. A failure is never dropped: with no window it goes straight
// to the installed box backend, as for a job run without a front end's window.
void PostErrorText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text,
                   unsigned flags = MB_OK);
void PostProgress(const std::shared_ptr<WorkerMessageReceiver>& window, int percent);
void PostWorkDone(const std::shared_ptr<WorkerMessageReceiver>& window);

// Posts "work done" to a window when it goes out of scope: a worker tells its window once
// that its run ended, whichever way the run ends (an early return, an exception).
class WorkDoneNotice {
  public:
    explicit WorkDoneNotice(std::shared_ptr<WorkerMessageReceiver> window)
        : window(std::move(window)) {}
    ~WorkDoneNotice() { PostWorkDone(window); }
    WorkDoneNotice(const WorkDoneNotice&) = delete;
    WorkDoneNotice& operator=(const WorkDoneNotice&) = delete;

  private:
    std::shared_ptr<WorkerMessageReceiver> window;
};
