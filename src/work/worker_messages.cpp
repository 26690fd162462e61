#include "work/worker_messages.h"

#include <utility>

std::atomic<int> StopRequested{0};
std::atomic<int> UploadCancelRequested{0};

static_assert(std::atomic<int>::is_always_lock_free, "the Ctrl-C handler stores to StopRequested");

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

void PostErrorText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text) {
    Post(window, WM_APP_ERROR_TEXT, 0, text);
}

void PostProgress(const std::shared_ptr<WorkerMessageReceiver>& window, int percent) {
    Post(window, WM_APP_PROGRESS, percent, {});
}

void PostWorkDone(const std::shared_ptr<WorkerMessageReceiver>& window) {
    Post(window, WM_APP_WORK_DONE, 0, {});
}
