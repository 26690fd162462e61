#pragma once

// How mavren-cli shows a long job: the worker's posted messages are queued and shown by
// the main thread, as a status line with a progress bar on a terminal, as plain lines
// otherwise, or not at all when quiet. Message boxes pass through ConsoleMessageBox,
// which clears the bar first, so a question never lands in the middle of it.
//
// Post may be called from any thread and never waits for the screen; Show and the
// display functions run on the main thread.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "generate/worker_messages.h"
#include "platform/message_box.h"

enum class ConsoleStyle { Bar, Lines, Quiet };

class ConsoleProgress : public WorkerMessageReceiver {
  public:
    ConsoleProgress(ConsoleStyle style, std::FILE* out);

    void Post(WorkerMessage message) override;

    // Shows the posted messages as they come until WM_APP_WORK_DONE arrives.
    void ShowUntilWorkDone();

    // Takes the bar off the screen and keeps it off until Resume; for message boxes.
    void Suspend();
    void Resume();

  private:
    void Show(const WorkerMessage& message);
    void Draw();
    void Clear();

    ConsoleStyle style;
    std::FILE* out;

    std::mutex queueMutex;
    std::condition_variable posted;
    std::deque<WorkerMessage> queue;

    std::mutex screenMutex;  // held while a message box owns the terminal
    std::string status;
    int percent = 0;
    bool drawn = false;
    std::string lastLine;  // what the bar shows now
    std::chrono::steady_clock::time_point lastDraw;
};

// Message boxes that first take the progress bar off the terminal.
class ConsoleMessageBox : public MessageBoxBackend {
  public:
    ConsoleMessageBox(std::shared_ptr<MessageBoxBackend> inner, ConsoleProgress& display);
    int Show(const std::string& text, unsigned flags) override;

  private:
    std::shared_ptr<MessageBoxBackend> inner;
    ConsoleProgress& display;
};
