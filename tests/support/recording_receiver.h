#pragma once

// A main window for tests: records every posted message, in order, from any thread.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "work/worker_messages.h"

class RecordingReceiver : public WorkerMessageReceiver {
  public:
    void Post(WorkerMessage message) override {
        std::lock_guard lock(mutex);
        messages.push_back(std::move(message));
    }

    std::vector<WorkerMessage> Messages() const {
        std::lock_guard lock(mutex);
        return messages;
    }

    std::vector<std::string> StatusTexts() const {
        std::vector<std::string> texts;
        for (const WorkerMessage& message : Messages()) {
            if (message.message == WM_APP_STATUS_TEXT) {
                texts.push_back(message.text);
            }
        }
        return texts;
    }

    std::vector<int> Progress() const {
        std::vector<int> values;
        for (const WorkerMessage& message : Messages()) {
            if (message.message == WM_APP_PROGRESS) {
                values.push_back(message.wParam);
            }
        }
        return values;
    }

  private:
    mutable std::mutex mutex;
    std::vector<WorkerMessage> messages;
};

// Installs a RecordingReceiver as the main window for its lifetime and clears the stop flag.
class ScopedMainWindow {
  public:
    ScopedMainWindow()
        : receiver(std::make_shared<RecordingReceiver>()), previous(SetMainWindow(receiver)) {
        StopRequested.store(0);
    }
    ~ScopedMainWindow() {
        SetMainWindow(previous);
        StopRequested.store(0);
    }
    ScopedMainWindow(const ScopedMainWindow&) = delete;
    ScopedMainWindow& operator=(const ScopedMainWindow&) = delete;

    RecordingReceiver* operator->() const { return receiver.get(); }
    std::shared_ptr<RecordingReceiver> get() const { return receiver; }

  private:
    std::shared_ptr<RecordingReceiver> receiver;
    std::shared_ptr<WorkerMessageReceiver> previous;
};
