#include "cli/interrupt.h"

#include <signal.h>

#include <atomic>
#include <utility>

namespace {

std::atomic<StopFlag*> g_flag{nullptr};
std::atomic<int> g_signals{0};
struct sigaction g_previousInterrupt;
struct sigaction g_previousTerminate;

static_assert(std::atomic<StopFlag*>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int number) {
    if (g_signals.fetch_add(1) == 0) {
        if (StopFlag* flag = g_flag.load()) {
            flag->Request();
        }
        return;
    }
    // Asked twice: the user does not want to wait for the job's next check.
    ::signal(number, SIG_DFL);
    ::raise(number);
}

}  // namespace

ScopedInterruptFlag::ScopedInterruptFlag(std::shared_ptr<StopFlag> flag) : flag(std::move(flag)) {
    g_signals.store(0);
    g_flag.store(this->flag.get());
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a pending question is declined
    ::sigaction(SIGINT, &action, &g_previousInterrupt);
    ::sigaction(SIGTERM, &action, &g_previousTerminate);
}

ScopedInterruptFlag::~ScopedInterruptFlag() {
    ::sigaction(SIGINT, &g_previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerminate, nullptr);
    g_flag.store(nullptr);
}

bool ScopedInterruptFlag::Interrupted() const {
    return g_signals.load() > 0;
}
