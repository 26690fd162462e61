#include "upload/profile_passwords.h"

#include <utility>

#include "platform/ascii.h"
#include "platform/format.h"
#include "platform/registry.h"
#include "platform/registry_store.h"
#include "upload/password_scramble.h"
#include "upload/secret_store.h"

namespace {

// Under the application key: "1" once the user was told that passwords are kept in
// the settings file.
const char* const kPasswordNoteValue = "FtpPasswordNoteShown";

// Writes the password where it goes now, as WriteNewPassword; oldName is the name the
// profile's secret may be kept under so far.
void WritePassword(RegistryKey& key, const FtpProfile& profile, const std::string& oldName,
                   bool secretStore, SecretWork& work) {
    const bool wasSecret = KeptInSecretStore(key);
    if (!profile.password.empty() && secretStore) {
        key.RemoveValue(kPasswordValue);
        key.SetValue(kPasswordStoreValue, kSecretStoreName);
        work.stores.push_back({profile.name, profile.password, wasSecret ? oldName : "", -1, {}});
        return;
    }
    key.SetValue(kPasswordValue, ScramblePassword(profile.password));
    key.RemoveValue(kPasswordStoreValue);
    work.wroteToSettingsFile = work.wroteToSettingsFile || !profile.password.empty();
    if (wasSecret) {
        work.clears.push_back(oldName);
    }
}

}  // namespace

bool KeptInSecretStore(const RegistryKey& key) {
    const std::string* place = key.FindValue(kPasswordStoreValue);
    return place != nullptr && EqualsIgnoringCase(*place, kSecretStoreName);
}

void ReadProfilePassword(const RegistryKey& key, FtpProfile& profile, bool readSecrets) {
    if (KeptInSecretStore(key)) {
        profile.passwordPlace = FtpPasswordPlace::SecretStore;
        if (!readSecrets) {
            return;
        }
        Expected<std::string> password = LookUpFtpPassword(key.name);
        if (password.ok()) {
            profile.password = std::move(*password);
        } else {
            profile.passwordProblem = StringPrintf(
                "The password of the FTP profile '%s' is kept in the desktop's secret "
                "store, which cannot give it: %s.",
                key.name.c_str(), password.failure().text().c_str());
        }
        return;
    }
    const std::string* stored = key.FindValue(kPasswordValue);
    profile.password = stored == nullptr || stored->size() > kMaxRegistryValueLength
                           ? std::string()
                           : UnscramblePassword(*stored);
    profile.passwordPlace =
        profile.password.empty() ? FtpPasswordPlace::None : FtpPasswordPlace::SettingsFile;
}

MovingSecret AskForMovingSecret(const FtpProfile& profile, const std::string& storedName,
                                unsigned changedFields) {
    MovingSecret secret;
    const bool renamed = !storedName.empty() && !profile.name.empty() && profile.name != storedName;
    if (!renamed || (changedFields & kFtpPasswordChanged) != 0 ||
        profile.passwordPlace != FtpPasswordPlace::SecretStore) {
        return secret;
    }
    secret.asked = true;
    Expected<std::string> password = LookUpFtpPassword(storedName);
    secret.given = password.ok();
    if (password.ok()) {
        secret.password = std::move(*password);
    } else {
        secret.problem = password.failure().text();
    }
    return secret;
}

void WriteNewPassword(RegistryKey& key, const FtpProfile& profile, bool secretStore,
                      SecretWork& work) {
    WritePassword(key, profile, profile.name, secretStore, work);
}

void SavePassword(RegistryKey& key, const FtpProfile& profile, const std::string& oldName,
                  unsigned fields, bool secretStore, SecretWork& work) {
    const bool moves = secretStore && !profile.password.empty() && !KeptInSecretStore(key);
    if ((fields & kFtpPasswordChanged) != 0 || moves) {
        WritePassword(key, profile, oldName, secretStore, work);
    }
}

std::string NotRenamedText(const std::string& storedName, const std::string& why) {
    return StringPrintf(
        "The FTP profile '%s' was not renamed: its password is in the secret store, which %s.",
        storedName.c_str(), why.c_str());
}

std::string PlanSecretMove(const FtpProfile& profile, const std::string& storedName, int slot,
                           const MovingSecret& secret,
                           const std::vector<std::pair<std::string, std::string>>& oldValues,
                           SecretWork& work) {
    // Not asked only when the password moved to the store after the list was loaded;
    // the list then knew it from the settings file.
    const std::string& password = secret.asked ? secret.password : profile.password;
    if (!secret.given && password.empty()) {
        const std::string problem =
            secret.problem.empty() ? "the secret store holds no password for it" : secret.problem;
        return NotRenamedText(storedName, "cannot give it: " + problem);
    }
    work.stores.push_back({profile.name, password, storedName, slot, oldValues});
    return {};
}

void DoSecretWork(const SecretWork& work, std::vector<SecretWork::Store>& failed,
                  std::vector<UnmovedSecret>& unmoved) {
    for (const SecretWork::Store& store : work.stores) {
        if (const Result stored = StoreFtpPassword(store.name, store.password); !stored.ok()) {
            if (store.slot >= 0) {
                unmoved.push_back({store, stored.text()});
            } else {
                failed.push_back(store);
            }
            continue;
        }
        // The settings' names ignore letter case, the secret store's do not.
        if (!store.oldName.empty() && store.oldName != store.name) {
            ClearFtpPassword(store.oldName);
        }
    }
    for (const std::string& name : work.clears) {
        ClearFtpPassword(name);
    }
}

void KeepPasswordInSettings(RegistryKey& key, const std::string& password) {
    key.RemoveValue(kPasswordStoreValue);
    key.SetValue(kPasswordValue, ScramblePassword(password));
}

std::string TakePasswordNote(RegistryKey& root) {
    RegistryKey* application = FindRegistryKey(root, kApplicationKey);
    if (application == nullptr || application->FindValue(kPasswordNoteValue) != nullptr) {
        return {};
    }
    application->SetValue(kPasswordNoteValue, "1");
    return "Mavren keeps your FTP passwords in its settings file, " + RegistryStorePath() +
           ", which only you can read: no secret store (such as GNOME Keyring) answers on "
           "this desktop. Once one runs, each password moves there the next time its profile "
           "is saved.";
}
