#include "work/worker_messages.h"

#include <utility>

namespace {

void Post(const std::shared_ptr<WorkerMessageReceiver>& window, unsigned message, int wParam,
          std::string text) {
    if (window) {
        window->Post(WorkerMessage{message, wParam, std::move(text)});
    }
}

}  // namespace

void PostStatusText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text) {
    Post(window, WM_APP_STATUS_TEXT, 0, text);
}

void PostTimingText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text) {
    Post(window, WM_APP_TIMING_TEXT, 0, text);
}

void PostErrorText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text) {
    Post(window, WM_APP_ERROR_TEXT, 0, text);
}

void PostProgress(const std::shared_ptr<WorkerMessageReceiver>& window, int percent) {
    Post(window, WM_APP_PROGRESS, percent, {});
}

void PostWorkDone(const std::shared_ptr<WorkerMessageReceiver>& window) {
    Post(window, WM_APP_WORK_DONE, 0, {});
}
