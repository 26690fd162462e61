#pragma once

// How mavren-cli shows a long job (a generation run, an upload) that reports with the
// worker messages. On a terminal one line at the bottom is redrawn in place: a bar, the
// percentage, the latest status line and the latest timing line; message
// boxes and questions move it out of the way and it comes back after them. Without a
// terminal (a log, a pipe) every status line is printed as it comes. When the job is
// over the bar stays as it ended, and the last status and timing lines follow it.
//
// ConsoleJobDisplay bundles it: it installs the message-box wrapper for its lifetime and
// hands out the receiver to post to. Create and destroy it on the main thread; the
// receiver and the boxes may be used from any thread.

#include <chrono>
#include <cstdio>
#include <memory>

#include <string>

#include "platform/message_box.h"
#include "platform/mutex.h"
#include "work/worker_messages.h"

class ConsoleProgress {
  public:
    // terminal: draw a bar (else print lines); width: the columns the bar line may use.
    ConsoleProgress(std::FILE* stream, bool terminal, int width);

    void SetPercent(int percent);
    void SetStatus(const std::string& text);
    void SetTiming(const std::string& text);
    // Clears the bar line for other output, and draws it again.
    void Suspend();
    void Resume();
    // Leaves the bar as it ended, then the last status and timing lines; idempotent.
    void Finish();

    // The bar line as it would be drawn now (without the terminal's control codes).
    std::string BarLine() const EXCLUDES(mutex);

  private:
    std::string Bar() const REQUIRES(mutex);  // "[#####...............]  25%"
    std::string Line() const REQUIRES(mutex);
    void Draw(bool force) REQUIRES(mutex);
    void Clear() REQUIRES(mutex);

    std::FILE* stream;
    bool terminal;
    int width;
    mutable Mutex mutex;  // one writer of the stream at a time, whichever thread reports
    int percent GUARDED_BY(mutex) = 0;
    std::string status GUARDED_BY(mutex);
    std::string timing GUARDED_BY(mutex);
    bool suspended GUARDED_BY(mutex) = false;
    bool drawn GUARDED_BY(mutex) = false;
    bool finished GUARDED_BY(mutex) = false;
    std::chrono::steady_clock::time_point lastDraw GUARDED_BY(mutex);
};

// Posts to a ConsoleProgress: percentages, status lines and timing lines to it,
// error texts as their boxes through the installed backend.
class ConsoleProgressReceiver : public WorkerMessageReceiver {
  public:
    explicit ConsoleProgressReceiver(std::shared_ptr<ConsoleProgress> progress)
        : progress(std::move(progress)) {}
    void Post(WorkerMessage message) override;

  private:
    std::shared_ptr<ConsoleProgress> progress;
};

// Shows boxes through another backend with the progress line out of the way.
class ConsoleProgressBoxes : public MessageBoxBackend {
  public:
    ConsoleProgressBoxes(std::shared_ptr<ConsoleProgress> progress,
                         std::shared_ptr<MessageBoxBackend> boxes)
        : progress(std::move(progress)), boxes(std::move(boxes)) {}
    int Show(const std::string& text, unsigned flags) override;
    QuestionAnswerer Answerer() const override;  // the other backend's

  private:
    std::shared_ptr<ConsoleProgress> progress;
    std::shared_ptr<MessageBoxBackend> boxes;
};

// Shows nothing of a job but its error texts, as their boxes (for --quiet).
class QuietProgressReceiver : public WorkerMessageReceiver {
  public:
    void Post(WorkerMessage message) override;
};

class ConsoleJobDisplay {
  public:
    // Shows on standard error; a bar when it is a terminal. Quiet: nothing but the boxes.
    explicit ConsoleJobDisplay(bool quiet = false);
    ~ConsoleJobDisplay();  // finishes and puts the previous message-box backend back
    ConsoleJobDisplay(const ConsoleJobDisplay&) = delete;
    ConsoleJobDisplay& operator=(const ConsoleJobDisplay&) = delete;

    std::shared_ptr<WorkerMessageReceiver> Receiver() const { return receiver; }
    void Finish() { progress->Finish(); }

  private:
    std::shared_ptr<ConsoleProgress> progress;
    std::shared_ptr<WorkerMessageReceiver> receiver;
    std::shared_ptr<MessageBoxBackend> previousBoxes;
};
