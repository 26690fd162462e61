#pragma once

// FTP passwords in the desktop's secret store: any program that offers the Secret
// Service D-Bus API on the session bus (GNOME Keyring, KWallet, KeePassXC), reached
// through libsecret in a module loaded on first use (secret_service_calls.h says how the
// store is asked). Each password is an item of the default collection, found by the
// profile's name and the settings file it belongs to. Where no session bus runs, or no
// secret store is on it, or the module is missing, every call fails at once.
//
// A store that does not answer within kSecretStoreAnswerSeconds (or leaves a call
// waiting longer than kSecretStorePromptSeconds, an unlock prompt nobody answers) is
// given up for the rest of the process: the first such call shows one exclamation box
// that says so, and every later call fails at once with the same reason, so passwords go
// where they go without a store.
//
// Safe from any thread; each call is one round trip to the store and blocks until it
// is answered or times out.

#include <string>

#include "platform/expected.h"
#include "platform/result.h"

// True when a secret store answers on the session bus.
bool SecretStoreAvailable();

// Stores the password of the profile called name, replacing the one stored before. Fails
// with the store's reason as text.
Result StoreFtpPassword(const std::string& name, const std::string& password);

// The password of the profile called name; fails with the reason as text when the store
// cannot be reached or holds none.
Expected<std::string> LookUpFtpPassword(const std::string& name);

// Removes the password of the profile called name; true when none is left.
bool ClearFtpPassword(const std::string& name);
