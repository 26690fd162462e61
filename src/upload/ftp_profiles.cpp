#include "upload/ftp_profiles.h"

#include "platform/ascii.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "upload/password_scramble.h"

namespace {

const char* const kLastFtpProfileValue = "LastFTPProfile";

std::string ProfileKeyPath(const std::string& name) {
    return std::string(kFtpProfilesKey) + "\\" + name;
}

}  // namespace

int FtpProfileList::Add(const FtpProfile& profile) {
    if (count >= MaxFtpProfiles) {
        return -1;
    }
    profiles[static_cast<std::size_t>(count)] = profile;
    return count++;
}

int FtpProfileList::Remove(int index) {
    if (index < 0 || index >= count) {
        return -1;
    }
    const int last = count - 1;
    profiles[static_cast<std::size_t>(index)] = profiles[static_cast<std::size_t>(last)];
    profiles[static_cast<std::size_t>(last)] = FtpProfile{};
    count = last;
    return last;
}

int FtpProfileList::Find(const std::string& name) const {
    for (int i = 0; i < count; ++i) {
        if (EqualsIgnoringCase(profiles[static_cast<std::size_t>(i)].name, name)) {
            return i;
        }
    }
    return -1;
}

int LoadFtpProfiles(FtpProfileList& list, std::string& lastProfile) {
    list = FtpProfileList{};
    lastProfile = GetRegistryString(kApplicationKey, kLastFtpProfileValue);
    const int stored = CountRegistrySubkeys(kFtpProfilesKey);
    std::string leftOut;
    for (int index = 0; index < stored; ++index) {
        const std::string name = GetRegistrySubkeyName(kFtpProfilesKey, index);
        if (index >= MaxFtpProfiles) {
            leftOut += "  " + name + "\n";
            continue;
        }
        const std::string key = ProfileKeyPath(name);
        FtpProfile profile;
        profile.name = name;
        profile.host = GetRegistryString(key, "Host");
        profile.username = GetRegistryString(key, "Username");
        profile.password = UnscramblePassword(GetRegistryString(key, "Password"));
        profile.directory = GetRegistryString(key, "Directory");
        // Absent (written by an older copy) or unknown: plain FTP, as before.
        if (!ParseFtpProtocol(GetRegistryString(key, "Protocol"), profile.protocol)) {
            profile.protocol = FtpProtocol::Ftp;
        }
        list.Add(profile);
    }
    if (!leftOut.empty()) {
        // A renamed profile leaves its old key behind; more keys than slots can pile up.
        ShowMessageBox(StringPrintf("Only %d FTP profiles can be used at a time. These were "
                                    "left out:\n\n%s\nDelete a profile to use one of them.",
                                    MaxFtpProfiles, leftOut.c_str()),
                       MB_OK | MB_ICONEXCLAMATION);
    }
    return list.count;
}

bool SaveFtpProfiles(const FtpProfileList& list, int selected) {
    if (selected >= 0 && selected < list.count) {
        SetLastFtpProfile(list.profiles[static_cast<std::size_t>(selected)].name);
    }
    CreateRegistryKeyPath(kFtpProfilesKey);
    bool stored = true;
    for (int i = 0; i < list.count; ++i) {
        const FtpProfile& profile = list.profiles[static_cast<std::size_t>(i)];
        if (profile.name.empty()) {
            continue;
        }
        const std::string key = ProfileKeyPath(profile.name);
        CreateRegistryKeyPath(key);
        SetRegistryString(key, "Host", profile.host);
        SetRegistryString(key, "Username", profile.username);
        SetRegistryString(key, "Password", ScramblePassword(profile.password));
        SetRegistryString(key, "Directory", profile.directory);
        SetRegistryString(key, "Protocol", FtpProtocolKey(profile.protocol));
        // The store only shows a box when it refuses; reading back tells the caller.
        stored = stored && GetRegistryString(key, "Host") == profile.host &&
                 GetRegistryString(key, "Username") == profile.username &&
                 UnscramblePassword(GetRegistryString(key, "Password")) == profile.password &&
                 GetRegistryString(key, "Directory") == profile.directory &&
                 GetRegistryString(key, "Protocol") == FtpProtocolKey(profile.protocol);
    }
    return stored;
}

void SetLastFtpProfile(const std::string& name) {
    SetRegistryString(kApplicationKey, kLastFtpProfileValue, name);
}

std::string FtpProfileCertificate(const std::string& name) {
    return GetRegistryString(ProfileKeyPath(name), "Certificate");
}

void SetFtpProfileCertificate(const std::string& name, const std::string& fingerprint) {
    const std::string key = ProfileKeyPath(name);
    CreateRegistryKeyPath(key);
    SetRegistryString(key, "Certificate", fingerprint);
}

bool DeleteFtpProfileKey(const std::string& name) {
    return DeleteRegistryKey(kFtpProfilesKey, name);
}

int DeleteFtpProfile(FtpProfileList& list, int index) {
    if (index < 0 || index >= list.count) {
        return -1;
    }
    DeleteFtpProfileKey(list.profiles[static_cast<std::size_t>(index)].name);
    return list.Remove(index);
}

std::string MissingFtpProfileFields(const FtpProfile& profile, FtpProfileField& firstMissing) {
    struct Required {
        const std::string& value;
        FtpProfileField field;
        const char* line;
    };
    const Required required[] = {
        {profile.name, FtpProfileField::Name, "  Profile Name (a name for this profile)\n\n"},
        {profile.host, FtpProfileField::Host,
         "  Host (an FTP server name like 'ftp.example.com')\n\n"},
        {profile.username, FtpProfileField::Username,
         "  Username (a login name on the FTP server)\n\n"},
    };
    firstMissing = FtpProfileField::None;
    std::string lines;
    for (const Required& field : required) {
        if (field.value.empty()) {
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
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return "A profile name cannot contain line breaks or other control characters.";
        }
    }
    return {};
}
