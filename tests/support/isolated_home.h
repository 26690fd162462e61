#pragma once

// A test environment that points HOME and the XDG folders at a fresh temporary folder
// for the whole test program, so no test reads or writes the real user's settings,
// desktop files or secret store. Register it once per test program:
//   const auto* const kIsolatedHome = ::testing::AddGlobalTestEnvironment(new IsolatedHome);

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "support/test_support.h"

class IsolatedHome : public ::testing::Environment {
  public:
    void SetUp() override {
        root = std::make_unique<TempDir>();
        ::setenv("HOME", root->path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (*root / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (*root / ".local/share").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (*root / ".cache").c_str(), 1);
        // No session bus, so no secret store: the same on every machine, and no desktop
        // service started on the tests' behalf (see SecretServiceSession for one).
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (*root / "no-session-bus")).c_str(),
                 1);
        // A desktop session would route xdg-utils through its own tools.
        ::unsetenv("XDG_CURRENT_DESKTOP");
        ::unsetenv("DESKTOP_SESSION");
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("BROWSER");
    }
    void TearDown() override { root.reset(); }

  private:
    std::unique_ptr<TempDir> root;
};

// Sets (or with nullopt, unsets) one environment variable for its lifetime.
class ScopedEnvironmentVariable {
  public:
    ScopedEnvironmentVariable(const char* name, const std::optional<std::string>& value)
        : name(name) {
        if (const char* old = std::getenv(name)) {
            previous = old;
        }
        Apply(value);
    }
    ~ScopedEnvironmentVariable() { Apply(previous); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

  private:
    void Apply(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    const char* name;
    std::optional<std::string> previous;
};
