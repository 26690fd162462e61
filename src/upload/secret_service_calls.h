#pragma once

// The part of the secret store that needs libsecret. It is built as a module of its own,
// mavren-secrets.so beside the programs, which secret_store.cpp loads when a password
// first goes to or comes from the store: libsecret brings glib, gio and a dozen more
// shared libraries, which would add their loading to the start of every mavren-cli
// command, also the many that never touch a password. This header is all the two sides
// share.
//
// Each password is an item of the default collection, found by the profile's name and the
// settings file it belongs to. Where no session bus runs, or no secret store is on it,
// every call fails at once. Each call first asks the store for a sign of life, which
// must come within kSecretStoreAnswerSeconds; only then does it ask for the password,
// and that may wait kSecretStorePromptSeconds, for the store may first have to ask the
// user to unlock a keyring. A call that waited in vain ends TimedOut. Safe from any
// thread; each call blocks until it is answered or times out.

#include <string>

inline constexpr int kSecretStoreAnswerSeconds = 5;
inline constexpr int kSecretStorePromptSeconds = 60;

// How a call ended; problem says why when it did not end Done.
enum class SecretCallEnd { Done, Failed, TimedOut };

class SecretServiceCalls {
  public:
    virtual ~SecretServiceCalls() = default;
    // Done when a secret store answers on the session bus.
    virtual SecretCallEnd Available(std::string& problem) const = 0;
    virtual SecretCallEnd Store(const std::string& profile, const std::string& settings,
                                const std::string& password, std::string& problem) const = 0;
    virtual SecretCallEnd LookUp(const std::string& profile, const std::string& settings,
                                 std::string& password, std::string& problem) const = 0;
    // Done when no such password is left.
    virtual SecretCallEnd Clear(const std::string& profile, const std::string& settings,
                                std::string& problem) const = 0;
};

// The module's one entry point: the calls, made once, for the life of the process.
extern "C" const SecretServiceCalls* MavrenSecretService();
