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
    Result failure = Result::Ok();
    GenerationOptions options = request.options;
    options.failure = &failure;
    try {
        outcome = RunGeneration(request.kind, *request.program, options);
        if (!failure.ok()) {
            ShowFailure(options.window, failure.text());
        }
    } catch (const std::exception& exception) {
        ShowFailure(options.window, exception.what());
    } catch (...) {
        ShowFailure(options.window, {});
    }
    PostWorkDone(request.options.window);
    return outcome;
}
