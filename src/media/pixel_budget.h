#pragma once

// How many bytes of decoded pixels the pictures being made on several threads may hold
// at once. A picture takes its share before it decodes and gives it back when its files
// are written; a share larger than the whole budget waits until nothing else is held, so
// one huge picture is made alone rather than never. Safe to use from any thread.

#include <condition_variable>
#include <cstddef>

#include "platform/mutex.h"

class PixelBudget {
  public:
    explicit PixelBudget(std::size_t bytes);
    PixelBudget(const PixelBudget&) = delete;
    PixelBudget& operator=(const PixelBudget&) = delete;

    // Bytes held until it goes; movable.
    class Share {
      public:
        Share() = default;
        ~Share();
        Share(Share&& other) noexcept;
        Share& operator=(Share&& other) noexcept;
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

      private:
        friend class PixelBudget;
        Share(PixelBudget* budget, std::size_t bytes) : budget(budget), bytes(bytes) {}
        PixelBudget* budget = nullptr;
        std::size_t bytes = 0;
    };

    // Waits until the bytes (at most the whole budget) are free and holds them.
    Share Take(std::size_t bytes);

    std::size_t Held() const;
    int Waiting() const;  // takers waiting for their share

  private:
    void Give(std::size_t bytes);

    const std::size_t total;
    mutable Mutex mutex;
    std::condition_variable freed;
    std::size_t held GUARDED_BY(mutex) = 0;
    int waiting GUARDED_BY(mutex) = 0;
};
