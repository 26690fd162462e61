#pragma once

// Where the password of a saved FTP profile goes, for ftp_profiles.cpp: the secret store
// when one runs (the profile's key then says "PasswordStore"="Secret Service"), else the
// key's scrambled "Password" value. A save changes the settings in one locked change of
// the store and leaves what the secret store has to do to SecretWork, done once the
// settings are written, so that no secret store call waits inside the lock. The secret
// of a renamed profile moves to the new name only when the store gives it under the old
// one and takes it under the new one; otherwise the rename is not made (ftp_profiles.cpp
// puts it back when the settings were already written). Nothing here keeps state.

#include <string>
#include <utility>
#include <vector>

#include "platform/registry_tree.h"
#include "upload/ftp_profiles.h"

inline constexpr const char* kPasswordValue = "Password";
// Where the password is when it is not the "Password" value, and the word for the
// secret store there.
inline constexpr const char* kPasswordStoreValue = "PasswordStore";
inline constexpr const char* kSecretStoreName = "Secret Service";

// True when the profile's key says its password is in the secret store.
bool KeptInSecretStore(const RegistryKey& key);

// Sets the password, its place and (when the secret store cannot give it) its problem
// for the profile stored in key. The secret store is asked only with readSecrets.
void ReadProfilePassword(const RegistryKey& key, FtpProfile& profile, bool readSecrets);

// The secret of a profile that a save renames with its password unchanged, asked for
// under the old name before the settings are changed.
struct MovingSecret {
    bool asked = false;    // the profile was loaded with its password in the secret store
    bool given = false;    // the store gave it
    std::string password;  // what it gave
    std::string problem;   // why it did not
};

// Asks the secret store for the secret of the profile stored as storedName, when the
// save renames it, leaves its password as it was, and it was loaded from the store.
MovingSecret AskForMovingSecret(const FtpProfile& profile, const std::string& storedName,
                                unsigned changedFields);

// What a save has to do in the secret store once the settings are written.
struct SecretWork {
    struct Store {
        std::string name;
        std::string password;
        std::string oldName;  // whose secret goes once this one is stored; may be name
        // For the secret of a renamed profile that moves unchanged: the list's slot and
        // the key's values before the rename, to put the rename back with when the store
        // does not take the secret under the new name. slot is -1 otherwise.
        int slot = -1;
        std::vector<std::pair<std::string, std::string>> oldValues;
    };
    std::vector<Store> stores;
    std::vector<std::string> clears;
    bool wroteToSettingsFile = false;  // a password went into the settings file
};

// Writes a new profile's password where it goes now: the secret store when one runs (the
// key only says so; the secret follows the save), else the settings file.
void WriteNewPassword(RegistryKey& key, const FtpProfile& profile, bool secretStore,
                      SecretWork& work);

// Writes the password of a profile saved with changes: when it changed, or when it can
// move from the settings file to the secret store. oldName is the name the profile's
// secret may be kept under so far (its name before a rename).
void SavePassword(RegistryKey& key, const FtpProfile& profile, const std::string& oldName,
                  unsigned fields, bool secretStore, SecretWork& work);

// The refusal of a rename whose secret cannot move: the store cannot give it (why says
// so) or take it under the new name.
std::string NotRenamedText(const std::string& storedName, const std::string& why);

// For a profile renamed from storedName with its password unchanged whose key (in its
// old values) says the password is in the secret store: plans the move of the secret,
// with the values to put back, and returns the empty text; or returns the refusal when
// the store did not give the secret (the rename is then not to be made).
std::string PlanSecretMove(const FtpProfile& profile, const std::string& storedName, int slot,
                           const MovingSecret& secret,
                           const std::vector<std::pair<std::string, std::string>>& oldValues,
                           SecretWork& work);

// The secret of a renamed profile that the store did not take under the new name, and
// the store's reason.
struct UnmovedSecret {
    SecretWork::Store store;
    std::string problem;
};

// Does in the secret store what a save left to do. A password the store does not take
// goes to failed (for the settings file after all), except the secret of a renamed
// profile, which goes to unmoved and stays under the old name.
void DoSecretWork(const SecretWork& work, std::vector<SecretWork::Store>& failed,
                  std::vector<UnmovedSecret>& unmoved);

// Keeps the password in the settings file of the profile's key, which said it was in the
// secret store.
void KeepPasswordInSettings(RegistryKey& key, const std::string& password);

// Marks the note that passwords are kept in the settings file as shown and returns its
// text, unless it was shown before.
std::string TakePasswordNote(RegistryKey& root);
