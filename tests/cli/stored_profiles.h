#pragma once

// The FTP profiles in the settings store as the upload window would load them, by name.

#include <map>
#include <string>

#include "upload/ftp_profiles.h"

inline std::map<std::string, FtpProfile> StoredProfilesByName() {
    FtpProfileList list;
    std::string last;
    LoadFtpProfiles(list, last);
    std::map<std::string, FtpProfile> profiles;
    for (int i = 0; i < list.count; ++i) {
        profiles[list.profiles[static_cast<std::size_t>(i)].name] =
            list.profiles[static_cast<std::size_t>(i)];
    }
    return profiles;
}
