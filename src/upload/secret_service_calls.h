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
// user to unlock a keyring. A call that waited in vain fails Network; any other failure is
// Other, with the store's reason as text. Safe from any thread; each call blocks until it
// is answered or times out.

#include <string>

#include "platform/expected.h"
#include "platform/result.h"

inline constexpr int kSecretStoreAnswerSeconds = 5;
inline constexpr int kSecretStorePromptSeconds = 60;

class SecretServiceCalls {
  public:
    virtual ~SecretServiceCalls() = default;
    // Ok when a secret store answers on the session bus.
    virtual Result Available() const = 0;
    virtual Result Store(const std::string& profile, const std::string& settings,
                         const std::string& password) const = 0;
    virtual Expected<std::string> LookUp(const std::string& profile,
                                         const std::string& settings) const = 0;
    // Ok when no such password is left.
    virtual Result Clear(const std::string& profile, const std::string& settings) const = 0;
};

// The module's one entry point: the calls, made once, for the life of the process.
extern "C" const SecretServiceCalls* MavrenSecretService();
