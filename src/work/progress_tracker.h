#pragma once

// Measures a long job in units of work (bytes in every current use) and gives the two
// texts a status line shows: how much was done in how long, and how long the rest will
// take. One tracker belongs to the worker thread that runs its job; not thread-safe.

#include <cstdint>
#include <ctime>
#include <string>

class ProgressTracker {
  public:
    virtual ~ProgressTracker() = default;

    // Begins a job of total units; done becomes 0 and the clock starts.
    void Start(const std::string& unitName, std::int64_t totalAmount);

    // Counts amount more units as done; returns amount.
    std::int64_t Advance(std::int64_t amount);

    // Whole seconds since Start.
    int ElapsedSeconds() const;

    // The whole seconds since Start in words: "12 seconds", "1 second".
    std::string ElapsedText() const;

    // "5,300 bytes in 12 seconds": done, the unit (plural unless exactly 1), ElapsedText().
    std::string DoneText() const;

    // "30 seconds remaining", "16 minutes remaining", or "calculating remaining time"
    // until a second has passed and something is done.
    std::string RemainingText() const;

    // True once RemainingText is an estimate: a second has passed and something is done.
    bool Estimates() const;

    std::time_t started = 0;
    std::string unit;
    std::int64_t total = 0;  // 64 bits: a folder of photos easily holds more than 2 GB
    std::int64_t done = 0;

  protected:
    // The calendar time in whole seconds; tests put a clock of their own here.
    virtual std::time_t Now() const;
};
