#include "upload/ftp_profiles.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ascii.h"
#include "platform/expected.h"
#include "platform/format.h"
#include "platform/numbers.h"
#include "platform/registry.h"
#include "platform/registry_store.h"
#include "upload/profile_passwords.h"
#include "upload/secret_store.h"
#include "upload/upload_worker.h"

namespace {

const char* const kLastFtpProfileValue = "LastFTPProfile";
const char* const kCertificateValue = "Certificate";
// Written only when they differ from the defaults, so a profile that keeps them reads
// the same in an older copy.
const char* const kConnectionsValue = "Connections";
const char* const kRateLimitValue = "RateLimit";
const char* const kRegionValue = "Region";

std::string ProfileKeyPath(const std::string& name) {
    return std::string(kFtpProfilesKey) + "\\" + name;
}

std::string ValueOf(const RegistryKey& key, const char* name) {
    const std::string* text = key.FindValue(name);
    return text == nullptr || text->size() > kMaxRegistryValueLength ? std::string() : *text;
}

// The "FTP Profiles" key of the tree, made when missing.
RegistryKey& ProfilesKey(RegistryKey& root) {
    std::vector<std::string> names;
    SplitRegistryPath(kFtpProfilesKey, names);
    RegistryKey* key = &root;
    for (const std::string& name : names) {
        key = &key->AddSubkey(name);
    }
    return *key;
}

// A profile's key holds its host; a key without one is at most a certificate pinned
// for a profile not saved yet, and may take the profile.
const RegistryKey* ExistingProfile(const RegistryKey& profiles, const std::string& name) {
    const RegistryKey* key = profiles.FindSubkey(name);
    return key != nullptr && key->FindValue("Host") != nullptr ? key : nullptr;
}

int ProfileCount(const RegistryKey& profiles) {
    int count = 0;
    for (const RegistryKey& key : profiles.subkeys) {
        count += key.FindValue("Host") != nullptr ? 1 : 0;
    }
    return count;
}

void WriteFields(RegistryKey& key, const FtpProfile& profile, unsigned fields) {
    if ((fields & kFtpHostChanged) != 0) {
        key.SetValue("Host", profile.host);
    }
    if ((fields & kFtpUsernameChanged) != 0) {
        key.SetValue("Username", profile.username);
    }
    if ((fields & kFtpDirectoryChanged) != 0) {
        key.SetValue("Directory", profile.directory);
    }
    if ((fields & kFtpProtocolChanged) != 0) {
        key.SetValue("Protocol", FtpProtocolKey(profile.protocol));
    }
    if ((fields & kFtpConnectionsChanged) != 0) {
        if (profile.connections == kDefaultUploadConnections) {
            key.RemoveValue(kConnectionsValue);
        } else {
            key.SetValue(kConnectionsValue, std::to_string(profile.connections));
        }
    }
    if ((fields & kFtpRateLimitChanged) != 0) {
        if (profile.rateLimit == 0) {
            key.RemoveValue(kRateLimitValue);
        } else {
            key.SetValue(kRateLimitValue, std::to_string(profile.rateLimit));
        }
    }
    if ((fields & kFtpRegionChanged) != 0) {
        if (profile.region.empty() || profile.region == kDefaultS3Region) {
            key.RemoveValue(kRegionValue);
        } else {
            key.SetValue(kRegionValue, profile.region);
        }
    }
}

// Absent or out of range: the nearest count an upload can use.
int ReadConnections(const RegistryKey& key) {
    const std::string* text = key.FindValue(kConnectionsValue);
    if (text == nullptr) {
        return kDefaultUploadConnections;
    }
    return std::clamp(ParseLeadingInt(*text), 1, kMaxUploadConnections);
}

// Absent, negative or not a number: no limit.
std::int64_t ReadRateLimit(const RegistryKey& key) {
    const std::string* text = key.FindValue(kRateLimitValue);
    if (text == nullptr) {
        return 0;
    }
    return std::max<std::int64_t>(std::strtoll(text->c_str(), nullptr, 10), 0);
}

unsigned ChangedFields(const FtpProfile& before, const FtpProfile& after) {
    unsigned fields = 0;
    fields |= before.host != after.host ? kFtpHostChanged : 0u;
    fields |= before.username != after.username ? kFtpUsernameChanged : 0u;
    fields |= before.password != after.password ? kFtpPasswordChanged : 0u;
    fields |= before.directory != after.directory ? kFtpDirectoryChanged : 0u;
    fields |= before.protocol != after.protocol ? kFtpProtocolChanged : 0u;
    fields |= before.connections != after.connections ? kFtpConnectionsChanged : 0u;
    fields |= before.rateLimit != after.rateLimit ? kFtpRateLimitChanged : 0u;
    fields |= before.region != after.region ? kFtpRegionChanged : 0u;
    return fields;
}

// Applies the change of the list's slot to the tree; the empty text, or why it was not
// applied. secret is what the secret store gave for a rename before the change.
std::string SaveSlot(RegistryKey& root, RegistryKey& profiles, const FtpProfileList& list, int slot,
                     const MovingSecret& secret, bool secretStore, SecretWork& work) {
    const auto index = static_cast<std::size_t>(slot);
    const FtpProfile& profile = list.profiles[index];
    const std::string& storedName = list.storedNames[index];
    const unsigned fields = list.changedFields[index];
    const std::string& name = profile.name;
    if (storedName.empty()) {
        if (ExistingProfile(profiles, name) != nullptr) {
            return StringPrintf("There already is an FTP profile called '%s'.", name.c_str());
        }
        if (ProfileCount(profiles) >= MaxFtpProfiles) {
            return StringPrintf("'%s' was not added: a maximum of %d profiles can be created.",
                                name.c_str(), MaxFtpProfiles);
        }
        RegistryKey& key = profiles.AddSubkey(name);
        WriteFields(key, profile, kFtpAllFieldsChanged);
        WriteNewPassword(key, profile, secretStore, work);
        return {};
    }
    if (ExistingProfile(profiles, storedName) == nullptr) {
        return StringPrintf("The FTP profile '%s' was deleted meanwhile.", storedName.c_str());
    }
    if (name == storedName) {
        RegistryKey& key = *profiles.FindSubkey(name);
        WriteFields(key, profile, fields);
        SavePassword(key, profile, name, fields, secretStore, work);
        return {};
    }
    if (!EqualsIgnoringCase(name, storedName) && ExistingProfile(profiles, name) != nullptr) {
        return StringPrintf("There already is an FTP profile called '%s'.", name.c_str());
    }
    RegistryKey& old = *profiles.FindSubkey(storedName);
    const std::vector<std::pair<std::string, std::string>> values = old.values;
    // A secret kept under the old name moves to the new one, or the rename is not made.
    const bool secretMoves = KeptInSecretStore(old) && (fields & kFtpPasswordChanged) == 0;
    if (secretMoves) {
        if (std::string refusal = PlanSecretMove(profile, storedName, slot, secret, values, work);
            !refusal.empty()) {
            return refusal;
        }
    }
    // The key moves to the new name. A pin made for the old name goes (the renamed
    // profile may lead elsewhere); one made for the new name (an upload before this save) stays.
    profiles.RemoveSubkey(storedName);
    RegistryKey& moved = profiles.AddSubkey(name);
    moved.name = name;
    for (const auto& [valueName, text] : values) {
        if (!EqualsIgnoringCase(valueName, kCertificateValue)) {
            moved.SetValue(valueName, text);
        }
    }
    WriteFields(moved, profile, fields);
    if (!secretMoves) {
        SavePassword(moved, profile, storedName, fields, secretStore, work);
    }
    RegistryKey* application = FindRegistryKey(root, kApplicationKey);
    if (application != nullptr &&
        EqualsIgnoringCase(ValueOf(*application, kLastFtpProfileValue), storedName)) {
        application->SetValue(kLastFtpProfileValue, name);
    }
    return {};
}

// Puts back the rename of a profile whose secret the secret store did not take under the
// new name: its key goes back to the old name with the values it had, a pin made for the
// new name before the save stays. False when the old name is taken by now, or the
// renamed key is gone.
bool PutRenameBack(RegistryKey& root, RegistryKey& profiles, const SecretWork::Store& move) {
    const RegistryKey* renamed = profiles.FindSubkey(move.name);
    if (renamed == nullptr || (!EqualsIgnoringCase(move.name, move.oldName) &&
                               ExistingProfile(profiles, move.oldName) != nullptr)) {
        return false;
    }
    const std::string pin = ValueOf(*renamed, kCertificateValue);
    profiles.RemoveSubkey(move.name);
    if (!pin.empty()) {
        profiles.AddSubkey(move.name).SetValue(kCertificateValue, pin);
    }
    RegistryKey& key = profiles.AddSubkey(move.oldName);
    key.name = move.oldName;
    key.values = move.oldValues;
    RegistryKey* application = FindRegistryKey(root, kApplicationKey);
    if (application != nullptr &&
        EqualsIgnoringCase(ValueOf(*application, kLastFtpProfileValue), move.name)) {
        application->SetValue(kLastFtpProfileValue, move.oldName);
    }
    return true;
}

// Does in the secret store what a save left to do, then mends the settings where it
// could not: a password the store did not take goes into the settings file after all (a
// store that went away meanwhile), and a renamed profile whose secret stayed under the
// old name gets that name back; its slot leaves saved. Returns a refusal line for each
// rename put back, or the store's failure; sets noteText when a password went into the
// settings file first.
Expected<std::string> FinishSecretWork(const SecretWork& work, std::vector<std::size_t>& saved,
                                       std::string& noteText) {
    std::vector<SecretWork::Store> failed;
    std::vector<UnmovedSecret> unmoved;
    DoSecretWork(work, failed, unmoved);
    if (failed.empty() && unmoved.empty()) {
        return std::string();
    }
    std::string putBack;
    std::vector<std::size_t> notRenamed;
    Result after = ChangeRegistryStore([&](RegistryKey& root) {
        putBack.clear();
        notRenamed.clear();
        std::vector<SecretWork::Store> toSettings = failed;
        RegistryKey& profiles = ProfilesKey(root);
        for (const UnmovedSecret& secret : unmoved) {
            if (PutRenameBack(root, profiles, secret.store)) {
                putBack += NotRenamedText(secret.store.oldName,
                                          "cannot take it under the new name: " + secret.problem) +
                           "\n";
                notRenamed.push_back(static_cast<std::size_t>(secret.store.slot));
            } else {
                toSettings.push_back(secret.store);
            }
        }
        bool kept = false;
        for (const SecretWork::Store& store : toSettings) {
            RegistryKey* key = profiles.FindSubkey(store.name);
            if (key != nullptr && KeptInSecretStore(*key)) {
                KeepPasswordInSettings(*key, store.password);
                kept = true;
            }
        }
        if (kept && noteText.empty()) {
            noteText = TakePasswordNote(root);
        }
        return Result::Ok();
    });
    if (!after.ok()) {
        return after;
    }
    std::erase_if(saved, [&](std::size_t slot) {
        return std::find(notRenamed.begin(), notRenamed.end(), slot) != notRenamed.end();
    });
    return putBack;
}

}  // namespace

const char* FtpPasswordPlaceName(FtpPasswordPlace place) {
    switch (place) {
        case FtpPasswordPlace::SettingsFile:
            return "settings file";
        case FtpPasswordPlace::SecretStore:
            return "secret store";
        case FtpPasswordPlace::None:
            break;
    }
    return "none";
}

int FtpProfileList::Add(const FtpProfile& profile) {
    if (count >= MaxFtpProfiles) {
        return -1;
    }
    const auto slot = static_cast<std::size_t>(count);
    profiles[slot] = profile;
    storedNames[slot].clear();
    changedFields[slot] = kFtpAllFieldsChanged;
    return count++;
}

bool FtpProfileList::Change(int index, const FtpProfile& edited) {
    if (index < 0 || index >= count) {
        return false;
    }
    const auto slot = static_cast<std::size_t>(index);
    const unsigned changed = ChangedFields(profiles[slot], edited);
    changedFields[slot] |= changed;
    profiles[slot] = edited;
    if ((changed & kFtpPasswordChanged) != 0) {
        profiles[slot].passwordProblem.clear();  // a password given anew is there to use
    }
    return true;
}

int FtpProfileList::Remove(int index) {
    if (index < 0 || index >= count) {
        return -1;
    }
    const auto slot = static_cast<std::size_t>(index);
    const auto last = static_cast<std::size_t>(count - 1);
    profiles[slot] = profiles[last];
    storedNames[slot] = storedNames[last];
    changedFields[slot] = changedFields[last];
    profiles[last] = FtpProfile{};
    storedNames[last].clear();
    changedFields[last] = 0;
    count = static_cast<int>(last);
    return count;
}

int FtpProfileList::Find(const std::string& name) const {
    for (int i = 0; i < count; ++i) {
        if (EqualsIgnoringCase(profiles[static_cast<std::size_t>(i)].name, name)) {
            return i;
        }
    }
    return -1;
}

int LoadFtpProfiles(FtpProfileList& list, std::string& lastProfile, bool readSecrets) {
    list = FtpProfileList{};
    lastProfile.clear();
    RegistryKey root;
    if (!ReadRegistryStore(root).ok()) {
        return 0;  // CheckRegistryStore is the one to say why
    }
    if (const RegistryKey* application = FindRegistryKey(root, kApplicationKey)) {
        lastProfile = ValueOf(*application, kLastFtpProfileValue);
    }
    const RegistryKey* profiles = FindRegistryKey(root, kFtpProfilesKey);
    if (profiles == nullptr) {
        return 0;
    }
    for (const RegistryKey& key : profiles->subkeys) {
        if (key.FindValue("Host") == nullptr) {
            continue;  // a certificate pinned before its profile was saved
        }
        if (list.count >= MaxFtpProfiles) {
            list.leftOut += "  " + key.name + "\n";
            continue;
        }
        FtpProfile profile;
        profile.name = key.name;
        profile.host = ValueOf(key, "Host");
        profile.username = ValueOf(key, "Username");
        ReadProfilePassword(key, profile, readSecrets);
        profile.directory = ValueOf(key, "Directory");
        // Absent (written by an older copy) or unknown: plain FTP, as before.
        if (!ParseFtpProtocol(ValueOf(key, "Protocol"), profile.protocol)) {
            profile.protocol = FtpProtocol::Ftp;
        }
        profile.connections = ReadConnections(key);
        profile.rateLimit = ReadRateLimit(key);
        profile.region = ValueOf(key, kRegionValue);
        const int slot = list.Add(profile);
        list.storedNames[static_cast<std::size_t>(slot)] = key.name;
        list.changedFields[static_cast<std::size_t>(slot)] = 0;
    }
    return list.count;
}

std::string LeftOutProfilesText(const FtpProfileList& list) {
    if (list.leftOut.empty()) {
        return {};
    }
    // A renamed profile leaves its old key behind; more keys than slots can pile up.
    return StringPrintf(
        "Only %d FTP profiles can be used at a time. These were "
        "left out:\n\n%s\nDelete a profile to use one of them.",
        MaxFtpProfiles, list.leftOut.c_str());
}

Result SaveFtpProfiles(FtpProfileList& list, int selected, std::string* refused,
                       std::string* note) {
    // The secret store is asked only when a password may go there, and before the
    // settings are locked for the change: for the secrets of renamed profiles, which must
    // move with them, and whether it takes passwords at all.
    std::array<MovingSecret, MaxFtpProfiles> secrets;
    bool passwordsToWrite = false;
    for (int i = 0; i < list.count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        secrets[slot] = AskForMovingSecret(list.profiles[slot], list.storedNames[slot],
                                           list.changedFields[slot]);
        passwordsToWrite =
            passwordsToWrite ||
            (!list.profiles[slot].password.empty() &&
             (list.changedFields[slot] != 0 || list.storedNames[slot] != list.profiles[slot].name));
    }
    const bool secretStore = passwordsToWrite && SecretStoreAvailable();
    std::string notSaved;
    std::vector<std::size_t> saved;
    SecretWork work;
    std::string noteText;
    Result result = ChangeRegistryStore([&](RegistryKey& root) {
        notSaved.clear();
        saved.clear();
        work = SecretWork{};
        noteText.clear();
        RegistryKey& profiles = ProfilesKey(root);
        for (int i = 0; i < list.count; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            const FtpProfile& profile = list.profiles[slot];
            const bool unchanged =
                list.changedFields[slot] == 0 && list.storedNames[slot] == profile.name;
            if (profile.name.empty() || unchanged) {
                continue;
            }
            const std::string problem =
                SaveSlot(root, profiles, list, i, secrets[slot], secretStore, work);
            if (problem.empty()) {
                saved.push_back(slot);
            } else {
                notSaved += problem + "\n";
            }
        }
        if (selected >= 0 && selected < list.count) {
            const std::string& name = list.profiles[static_cast<std::size_t>(selected)].name;
            if (ExistingProfile(profiles, name) != nullptr) {
                FindRegistryKey(root, kApplicationKey)->SetValue(kLastFtpProfileValue, name);
            }
        }
        if (work.wroteToSettingsFile) {
            noteText = TakePasswordNote(root);
        }
        return Result::Ok();
    });
    if (!result.ok()) {
        return result;
    }
    Expected<std::string> putBack = FinishSecretWork(work, saved, noteText);
    if (putBack.ok()) {
        notSaved += *putBack;
    } else {
        result = putBack.failure();
    }
    if (note != nullptr) {
        *note = noteText;
    }
    // What was written is what the store holds now.
    for (const std::size_t slot : saved) {
        list.storedNames[slot] = list.profiles[slot].name;
        list.changedFields[slot] = 0;
    }
    if (refused != nullptr) {
        *refused = notSaved;
    }
    return result;
}

Result SetLastFtpProfile(const std::string& name) {
    return SetRegistryString(kApplicationKey, kLastFtpProfileValue, name);
}

std::string FtpProfileCertificate(const std::string& name) {
    return GetRegistryString(ProfileKeyPath(name), kCertificateValue);
}

Result SetFtpProfileCertificate(const std::string& name, const std::string& fingerprint) {
    if (!IsValidRegistryKeyName(name)) {
        return Result::Ok();
    }
    // One change: the key is made (for a profile not saved yet) and the pin set together.
    return ChangeRegistryStore([&](RegistryKey& root) {
        ProfilesKey(root).AddSubkey(name).SetValue(kCertificateValue, fingerprint);
        return Result::Ok();
    });
}

Expected<bool> ForgetFtpProfileCertificate(const std::string& name) {
    bool forgotten = false;
    Result result = ChangeRegistryStore([&](RegistryKey& root) {
        forgotten = false;
        RegistryKey* profiles = FindRegistryKey(root, kFtpProfilesKey);
        RegistryKey* key = profiles == nullptr ? nullptr : profiles->FindSubkey(name);
        if (key != nullptr && key->RemoveValue(kCertificateValue)) {
            forgotten = true;
            if (key->values.empty() && key->subkeys.empty()) {
                profiles->RemoveSubkey(name);  // only held the pin of a profile not saved
            }
        }
        return Result::Ok();
    });
    if (!result.ok()) {
        return result;
    }
    return forgotten;
}

bool DeleteFtpProfileKey(const std::string& name) {
    const bool secret = EqualsIgnoringCase(
        GetRegistryString(ProfileKeyPath(name), kPasswordStoreValue), kSecretStoreName);
    if (!DeleteRegistryKey(kFtpProfilesKey, name).ok()) {
        return false;
    }
    if (secret) {
        ClearFtpPassword(name);
    }
    return true;
}

int DeleteFtpProfile(FtpProfileList& list, int index) {
    if (index < 0 || index >= list.count) {
        return -1;
    }
    const std::string& stored = list.storedNames[static_cast<std::size_t>(index)];
    if (!stored.empty()) {
        DeleteFtpProfileKey(stored);
    }
    return list.Remove(index);
}

std::string MissingFtpProfileFields(const FtpProfile& profile, FtpProfileField& firstMissing) {
    struct Required {
        const std::string& value;
        FtpProfileField field;
        const char* line;
    };
    const bool s3 = IsObjectStorage(profile.protocol);
    const Required required[] = {
        {profile.name, FtpProfileField::Name, "  Profile Name (a name for this profile)\n\n"},
        {profile.host, FtpProfileField::Host,
         s3 ? "  Endpoint (the storage service's server, like 's3.eu-west-1.amazonaws.com')\n\n"
            : "  Host (an FTP server name like 'ftp.example.com')\n\n"},
        {profile.username, FtpProfileField::Username,
         s3 ? "  Access key ID (the key your storage service gave you)\n\n"
            : "  Username (a login name on the FTP server)\n\n"},
        {profile.directory, FtpProfileField::Directory,
         s3 ? "  Bucket/prefix (the bucket to upload into, like 'my-site' or 'my-site/photos')\n\n"
            : nullptr},
    };
    firstMissing = FtpProfileField::None;
    std::string lines;
    for (const Required& field : required) {
        if (field.line != nullptr && field.value.empty()) {
            if (firstMissing == FtpProfileField::None) {
                firstMissing = field.field;
            }
            lines += field.line;
        }
    }
    if (lines.empty()) {
        return {};
    }
    return "Some required values are missing:\n\n" + lines +
           "Fill in the missing fields or press \"Cancel\".";
}

std::string TooManyFtpProfilesText() {
    return StringPrintf(
        "A maximum of %d profiles can be created.\n\nTo create a new profile, delete an old one.",
        MaxFtpProfiles);
}

std::string FtpProfileNameProblem(const std::string& name) {
    if (name.find('\\') != std::string::npos) {
        return "A profile name cannot contain a backslash (\\).";
    }
    for (const char c : name) {
        if (IsAsciiControl(c)) {
            return "A profile name cannot contain line breaks or other control characters.";
        }
    }
    return {};
}
