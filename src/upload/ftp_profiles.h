#pragma once

// FTP profiles: the named sets of host, user name, password, remote folder and protocol
// that an upload connects with, the list of up to three that the upload window and
// mavren-cli work on, and their place in the settings store (one key per profile below
// "FTP Profiles", the protocol as "Protocol", absent for FTP; "Connections", absent for 4;
// "RateLimit" in bytes a second, absent for no limit; "Region", absent for kDefaultS3Region). A
// password lives in the desktop's secret store when one runs (secret_store.h), and the profile's
// key says so with "PasswordStore"="Secret Service"; otherwise, and in files written before, it is
// the key's "Password" in its scrambled form, and the first such save leaves a note
// for the user (once, remembered in the store). A password kept in the settings file
// moves to the secret store the next time its profile is saved while one runs; deleting
// or renaming a profile deletes or moves its secret (profile_passwords.h), and a rename
// whose secret cannot move is not made. A list remembers what changed in it since it
// was loaded, and a save writes
// only that, in one locked change of the store, so that other windows and processes
// changing profiles at the same time keep their changes. A list belongs to the thread
// that uses it; the store functions are safe from any thread and process.

#include <array>
#include <cstdint>
#include <string>

#include "platform/expected.h"
#include "platform/result.h"
#include "upload/remote_protocol.h"

inline constexpr int MaxFtpProfiles = 3;
// Transfers at once when a profile does not say.
inline constexpr int kDefaultUploadConnections = 4;

// Where a profile's password is kept.
enum class FtpPasswordPlace { None, SettingsFile, SecretStore };

// "none", "settings file" or "secret store", as profile lists show it.
const char* FtpPasswordPlaceName(FtpPasswordPlace place);

struct FtpProfile {
    std::string name;  // also the profile's key name in the store
    std::string host;  // "ftp.example.com" or "ftp.example.com:2121"
    std::string username;
    std::string password;   // plain text in memory only
    std::string directory;  // remote folder to upload into; empty for the login folder
    FtpProtocol protocol = FtpProtocol::Ftp;
    std::string region = {};  // S3: the region to sign for; empty for kDefaultS3Region
    int connections = kDefaultUploadConnections;  // transfers at once
    std::int64_t rateLimit = 0;  // bytes a second for a whole upload; 0 for no limit
    // Where the store kept the password when the profile was loaded, and why one kept in
    // the secret store could not be read (empty when it could, or was not asked for).
    FtpPasswordPlace passwordPlace = FtpPasswordPlace::None;
    std::string passwordProblem = {};
};

// The fields of a profile that a save writes, as flags (the name goes by the key).
enum FtpProfileFieldFlags : unsigned {
    kFtpHostChanged = 1u << 0,
    kFtpUsernameChanged = 1u << 1,
    kFtpPasswordChanged = 1u << 2,
    kFtpDirectoryChanged = 1u << 3,
    kFtpProtocolChanged = 1u << 4,
    kFtpConnectionsChanged = 1u << 5,
    kFtpRateLimitChanged = 1u << 6,
    kFtpRegionChanged = 1u << 7,
    kFtpAllFieldsChanged = (1u << 8) - 1,
};

struct FtpProfileList {
    std::array<FtpProfile, MaxFtpProfiles> profiles;
    int count = 0;
    // For each slot, the name its profile has in the store (empty for a profile added
    // since the list was loaded) and the fields changed since (FtpProfileFieldFlags).
    std::array<std::string, MaxFtpProfiles> storedNames;
    std::array<unsigned, MaxFtpProfiles> changedFields{};
    // The stored profiles the load left out for want of a slot, one "  name\n" each.
    std::string leftOut;

    // Puts profile into the slot at count and returns that index; -1 when the list is full.
    // A save adds it to the store with all its fields.
    int Add(const FtpProfile& profile);

    // Replaces the profile at index with edited; a save writes the fields that differ
    // (and moves the profile's key when the name differs). False when index is out of range.
    bool Change(int index, const FtpProfile& edited);

    // Frees the slot at index: the last profile moves into it, so every other profile
    // keeps its values. Returns the index the moved profile had (count before the call
    // minus one), or -1 when index is out of range.
    int Remove(int index);

    // The index of the profile of that name, ignoring ASCII letter case as the store's
    // key names do, or -1.
    int Find(const std::string& name) const;
};

// Fills list from one reading of the store and sets lastProfile to the name stored as
// "LastFTPProfile". Returns the count; 0 when the store cannot be read. With more than
// MaxFtpProfiles profile keys, the first ones in name order are kept and the list's
// leftOut names the others. Passwords in the secret store are read only with readSecrets.
int LoadFtpProfiles(FtpProfileList& list, std::string& lastProfile, bool readSecrets = true);

// The text of the exclamation box a front end shows after a load that left profiles out;
// empty when it left none out.
std::string LeftOutProfilesText(const FtpProfileList& list);

// Writes what changed in list since it was loaded, and, when selected is an index of the
// list, that profile's name as "LastFTPProfile", all in one change of the store; what
// others changed meanwhile stays. An added profile is not written when the store holds
// one of its name by now or MaxFtpProfiles profiles; a changed one not when its key has
// gone meanwhile (it was deleted) or its new name is taken. A renamed profile's key
// moves to the new name, without the pinned certificate, and "LastFTPProfile" follows
// it; when its password is in the secret store, the store must give it under the old
// name before the change and take it under the new one after it, or the profile keeps
// its old name, key and secret (a rename written already is put back). What was written
// counts as unchanged afterwards. Fails with the store's failure when it cannot be
// written (the caller tells it as the store's failure). refused (when given) gets one line
// for each profile that was not written and why; empty when all of it was stored. note
// (when given) gets the one-time note that passwords are kept in the settings file, when
// this save is the first to keep one there; the caller shows it.
Result SaveFtpProfiles(FtpProfileList& list, int selected, std::string* refused = nullptr,
                       std::string* note = nullptr);

// Stores name as "LastFTPProfile", the profile an upload without a choice takes.
Result SetLastFtpProfile(const std::string& name);

// The server certificate the user chose to trust for the profile, as its SHA-256
// fingerprint ("AB:CD:..."), stored as "Certificate" in the profile's key; the empty
// text when none was. The pin is written at once when the user trusts a certificate,
// and goes with the profile's key (a deleted or renamed profile forgets it). Setting fails
// with the store's failure when it does not take the pin; a name the store cannot hold as
// a key pins nothing.
std::string FtpProfileCertificate(const std::string& name);
Result SetFtpProfileCertificate(const std::string& name, const std::string& fingerprint);
// Forgets the pinned certificate, so that the next upload asks about the server's
// certificate again. True when one was pinned; the store's failure when it cannot be
// written.
Expected<bool> ForgetFtpProfileCertificate(const std::string& name);

// Removes the profile's key from the store at once, and its password from the secret
// store. True when the key was there and is gone.
bool DeleteFtpProfileKey(const std::string& name);

// Deletes the profile at index: the key it has in the store (under the name it was
// loaded with) at once, and its slot (as FtpProfileList::Remove, whose result it returns).
int DeleteFtpProfile(FtpProfileList& list, int index);

// The profile's fields in the order a profile window shows and checks them.
enum class FtpProfileField { None = -1, Name, Host, Username, Password, Directory, Region };

// The text of the box that lists the required fields left empty (a field of blanks counts
// as filled), and in firstMissing the first of them; the empty text and None when
// nothing is missing. An S3 profile names them as the profile window does for S3
// ("Endpoint", "Access key ID") and needs its bucket in the directory too.
std::string MissingFtpProfileFields(const FtpProfile& profile, FtpProfileField& firstMissing);

// The box shown when the list is full and another profile is asked for.
std::string TooManyFtpProfilesText();

// Why name cannot name a profile in the store (a backslash would make it a key path, a
// line break or control character cannot be stored); the empty text when it can.
std::string FtpProfileNameProblem(const std::string& name);
