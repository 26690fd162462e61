#pragma once

// FTP profiles: the named sets of host, user name, password and remote folder that an
// upload connects with, the list of up to three that the upload window and mavren-cli
// work on, and their place in the settings store (one key per profile below "FTP
// Profiles", the password in its scrambled form). A list belongs to the thread that
// uses it; the store functions are safe from any thread.

#include <array>
#include <string>

inline constexpr int MaxFtpProfiles = 3;

struct FtpProfile {
    std::string name;  // also the profile's key name in the store
    std::string host;  // "ftp.example.com" or "ftp.example.com:2121"
    std::string username;
    std::string password;   // plain text in memory only
    std::string directory;  // remote folder to upload into; empty for the login folder
};

struct FtpProfileList {
    std::array<FtpProfile, MaxFtpProfiles> profiles;
    int count = 0;

    // Puts profile into the slot at count and returns that index; -1 when the list is full.
    int Add(const FtpProfile& profile);

    // Frees the slot at index: the last profile moves into it, so every other profile
    // keeps its values. Returns the index the moved profile had (count before the call
    // minus one), or -1 when index is out of range.
    int Remove(int index);

    // The index of the profile of that name, ignoring ASCII letter case as the store's
    // key names do, or -1.
    int Find(const std::string& name) const;
};

// Fills list from the store and sets lastProfile to the name stored as "LastFTPProfile".
// Returns the count. With more than MaxFtpProfiles profile keys, the first ones in name
// order are kept and one box names those left out.
int LoadFtpProfiles(FtpProfileList& list, std::string& lastProfile);

// Writes every profile with a name, and, when selected is an index of the list, that
// profile's name as "LastFTPProfile". Keys of profiles no longer in the list are left
// alone (DeleteFtpProfileKey removes one). Failures show the store's own box.
void SaveFtpProfiles(const FtpProfileList& list, int selected);

// Removes the profile's key from the store at once. True when it was there and is gone.
bool DeleteFtpProfileKey(const std::string& name);

// Deletes the profile at index: its key at once, and its slot (as FtpProfileList::Remove,
// whose result it returns).
int DeleteFtpProfile(FtpProfileList& list, int index);

// The profile's fields in the order a profile window shows and checks them.
enum class FtpProfileField { None = -1, Name, Host, Username, Password, Directory };

// The text of the box that lists the required fields left empty (a field of blanks counts
// as filled), and in firstMissing the first of them; the empty text and None when
// nothing is missing.
std::string MissingFtpProfileFields(const FtpProfile& profile, FtpProfileField& firstMissing);

// The box shown when the list is full and another profile is asked for.
std::string TooManyFtpProfilesText();

// Why name cannot name a profile in the store (a backslash would make it a key path, a
// line break or control character cannot be stored); the empty text when it can.
std::string FtpProfileNameProblem(const std::string& name);
