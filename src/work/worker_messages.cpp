#include "work/worker_messages.h"

#include <future>
#include <utility>

namespace {

void Post(const std::shared_ptr<WorkerMessageReceiver>& window, unsigned message, int wParam,
          std::string text) {
    if (window) {
        window->Post(WorkerMessage{message, wParam, std::move(text), nullptr});
    }
}

}  // namespace

void PostStatusText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text) {
    Post(window, WM_APP_STATUS_TEXT, 0, text);
}

void PostTimingText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text) {
    Post(window, WM_APP_TIMING_TEXT, 0, text);
}

void PostErrorText(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& text,
                   unsigned flags) {
    if (window == nullptr) {
        ShowMessageBox(text, flags);
        return;
    }
    auto closed = std::make_shared<std::promise<void>>();
    std::future<void> boxClosed = closed->get_future();
    WorkerMessage message{WM_APP_ERROR_TEXT, static_cast<int>(flags), text,
                          std::shared_ptr<void>(nullptr, [closed](void*) { closed->set_value(); })};
    window->Post(std::move(message));
    boxClosed.wait();
}

void PostProgress(const std::shared_ptr<WorkerMessageReceiver>& window, int percent) {
    Post(window, WM_APP_PROGRESS, percent, {});
}

void PostWorkDone(const std::shared_ptr<WorkerMessageReceiver>& window) {
    Post(window, WM_APP_WORK_DONE, 0, {});
}
