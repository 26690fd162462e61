#pragma once

// What every fuzz harness shares: a private folder for the files the readers under test
// take by path, and message boxes that answer without anyone there. One harness per
// process; libFuzzer calls it from one thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The fuzz input as bytes.
inline std::string_view InputBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The path of name in this process's own folder (made on first use, removed at exit).
std::string FuzzPath(const std::string& name);

// Writes bytes to name in that folder and returns its path.
std::string WriteFuzzFile(const std::string& name, std::string_view bytes);

// The whole file; empty when it cannot be read.
std::string ReadFuzzFile(const std::string& path);

// From now on every message box is answered with answer (IDRETRY goes on where it can,
// IDCANCEL stops), recording nothing.
void AnswerMessageBoxes(int answer);

// Stops the process with a message that says which property failed, so libFuzzer keeps
// the input that broke it.
[[noreturn]] void Broken(const char* property);
