#pragma once

// The stored form of an FTP password: not encryption, only enough to keep the password
// from being read at a glance in the settings file. A password of L bytes becomes L + 1
// bytes (a seed, then each byte XOR the low 8 bits of the next number of a fixed
// pseudo-random sequence started from that seed), written as "%02X" joined by "-".
// Pure functions; safe from any thread.

#include <cstdint>
#include <string>

// The pseudo-random sequence of the classic C runtime: state = state * 214013 + 2531011
// (32 bits), each value (state >> 16) & 0x7FFF. Our own, so that a stored form reads the
// same on every platform, and one per caller, so threads do not share a state.
class RuntimeRandom {
  public:
    explicit RuntimeRandom(std::uint32_t seed) : state(seed) {}
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }

  private:
    std::uint32_t state;
};

// The stored form with the low 8 bits of the millisecond tick count as seed, so an
// unchanged password is stored differently from save to save. Empty in, empty out.
std::string ScramblePassword(const std::string& password);

// The stored form with the given seed.
std::string ScramblePassword(const std::string& password, std::uint8_t seed);

// The password back from its stored form. Only hexadecimal digits count (either case);
// everything else, the separators included, is skipped, and a trailing single digit is
// ignored. Text that is no stored form gives whatever the arithmetic yields; never fails.
std::string UnscramblePassword(const std::string& stored);
