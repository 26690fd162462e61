#pragma once

// The part of the secret store that needs libsecret. It is built as a module of its own,
// mavren-secrets.so beside the programs, which secret_store.cpp loads when a password
// first goes to or comes from the store: libsecret brings glib, gio and a dozen more
// shared libraries, which would add their loading to the start of every mavren-cli
// command, also the many that never touch a password. This header is all the two sides
// share.
//
// Each password is an item of the default collection, found by the profile's name and the
// settings file it belongs to. Where no session bus runs, or no secret store answers on
// it, every call fails at once; a call that waits on the store (a keyring to unlock, say)
// gives up after kSecretStoreWaitSeconds. Safe from any thread; each call is one round
// trip to the store and blocks until it is answered.

#include <string>

inline constexpr int kSecretStoreWaitSeconds = 60;

class SecretServiceCalls {
  public:
    virtual ~SecretServiceCalls() = default;
    // True when a secret store answers on the session bus.
    virtual bool Available() const = 0;
    // False with the store's reason in problem.
    virtual bool Store(const std::string& profile, const std::string& settings,
                       const std::string& password, std::string& problem) const = 0;
    virtual bool LookUp(const std::string& profile, const std::string& settings,
                        std::string& password, std::string& problem) const = 0;
    // True when no such password is left.
    virtual bool Clear(const std::string& profile, const std::string& settings) const = 0;
};

// The module's one entry point: the calls, made once, for the life of the process.
extern "C" const SecretServiceCalls* MavrenSecretService();
