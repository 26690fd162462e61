#pragma once

// A window for tests: records every posted message, in order, from any thread, and shows
// failure boxes through the installed backend as a front end does.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "work/worker_messages.h"

class RecordingReceiver : public WorkerMessageReceiver {
  public:
    void Post(WorkerMessage message) override {
        if (message.message == WM_APP_ERROR_TEXT) {
            // As a front end does; the worker goes on once the box is closed.
            ShowMessageBox(message.text, static_cast<unsigned>(message.wParam));
            message.boxOpen.reset();
        }
        std::lock_guard lock(mutex);
        messages.push_back(std::move(message));
    }

    std::vector<WorkerMessage> Messages() const {
        std::lock_guard lock(mutex);
        return messages;
    }

    std::vector<std::string> StatusTexts() const { return Texts(WM_APP_STATUS_TEXT); }
    std::vector<std::string> TimingTexts() const { return Texts(WM_APP_TIMING_TEXT); }

    std::vector<std::string> Texts(unsigned kind) const {
        std::vector<std::string> texts;
        for (const WorkerMessage& message : Messages()) {
            if (message.message == kind) {
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
