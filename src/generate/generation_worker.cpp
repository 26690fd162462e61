#include "generate/generation_worker.h"

#include <exception>
#include <string>

#include "work/worker_messages.h"

namespace {

constexpr std::size_t kLongestReason = 259;

void ShowFailure(const std::shared_ptr<WorkerMessageReceiver>& window, std::string reason) {
    if (reason.empty()) {
        reason = "Unknown error";
    }
    if (reason.size() > kLongestReason) {
        reason.resize(kLongestReason);
    }
    PostErrorText(window, "Cannot complete generation.\n\nReason: " + reason, MB_OK | MB_ICONSTOP);
}

}  // namespace

int GenerationWorker(const GenerationRequest& request) {
    int outcome = kRunFailed;
    const GenerationOptions& options = request.options;
    try {
        const Expected<int> ran = RunGeneration(request.kind, *request.program, options);
        if (ran.ok()) {
            outcome = *ran;
        } else {
            ShowFailure(options.window, ran.failure().text());
        }
    } catch (const std::exception& exception) {
        ShowFailure(options.window, exception.what());
    } catch (...) {
        ShowFailure(options.window, {});
    }
    PostWorkDone(request.options.window);
    return outcome;
}
