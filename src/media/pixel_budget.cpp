#include "media/pixel_budget.h"

#include <algorithm>
#include <utility>

PixelBudget::PixelBudget(std::size_t bytes) : total(std::max<std::size_t>(bytes, 1)) {}

PixelBudget::Share::~Share() {
    if (budget != nullptr) {
        budget->Give(bytes);
    }
}

PixelBudget::Share::Share(Share&& other) noexcept
    : budget(std::exchange(other.budget, nullptr)), bytes(std::exchange(other.bytes, 0)) {}

PixelBudget::Share& PixelBudget::Share::operator=(Share&& other) noexcept {
    if (this != &other) {
        if (budget != nullptr) {
            budget->Give(bytes);
        }
        budget = std::exchange(other.budget, nullptr);
        bytes = std::exchange(other.bytes, 0);
    }
    return *this;
}

PixelBudget::Share PixelBudget::Take(std::size_t bytes) {
    bytes = std::min(bytes, total);
    const MutexLock lock(mutex);
    ++waiting;
    while (total - held < bytes) {
        mutex.Wait(freed);
    }
    --waiting;
    held += bytes;
    return Share(this, bytes);
}

void PixelBudget::Give(std::size_t bytes) {
    {
        const MutexLock lock(mutex);
        held -= bytes;
    }
    freed.notify_all();
}

std::size_t PixelBudget::Held() const {
    const MutexLock lock(mutex);
    return held;
}

int PixelBudget::Waiting() const {
    const MutexLock lock(mutex);
    return waiting;
}
