#pragma once

// The tool's remembered settings ("the registry"): keys named by backslash-separated
// paths below a root, each holding string values and subkeys. Only the current user's
// root is stored (registry_store.h says where and how). Reads never fail visibly: a
// missing key or value reads as the empty text. A write to a key that does not exist
// fails and stores nothing (front ends show RegistryStoreChangeFailedText); writers of
// subkey values create the key path first. Every call reads or changes the store on
// disk at once, so several threads and processes may use it together.

#include <string>

#include "platform/result.h"

// The roots a key path starts from. The file type's part of the desktop is written by
// RegisterFileType, not kept here.
enum class RegistryRoot { CurrentUser };
inline constexpr RegistryRoot HKEY_CURRENT_USER = RegistryRoot::CurrentUser;

// The application key and its subkeys, below HKEY_CURRENT_USER.
inline constexpr const char* kApplicationKey = "Software\\Orvashi\\Mavren 1.0";
inline constexpr const char* kWindowPositionsKey =
    "Software\\Orvashi\\Mavren 1.0\\Window Positions";
inline constexpr const char* kDontShowAgainKey = "Software\\Orvashi\\Mavren 1.0\\Dont Show Again";
inline constexpr const char* kFtpProfilesKey = "Software\\Orvashi\\Mavren 1.0\\FTP Profiles";

// The value's text; the empty text when the key or the value is missing, the value is
// longer than 10239 bytes, or the store cannot be read.
std::string GetRegistryString(std::string keyPath, std::string valueName,
                              RegistryRoot root = HKEY_CURRENT_USER);

// Stores text under valueName of an existing key (the application key exists from the
// first write on). A missing key (ENOENT), a text over 10239 bytes (EOVERFLOW) or a store
// that cannot be written fails with the reason as text, and stores nothing.
Result SetRegistryString(std::string keyPath, std::string valueName, std::string text,
                         RegistryRoot root = HKEY_CURRENT_USER);

// The number the value's text begins with (blanks, a sign, digits); 0 when there is none.
int GetRegistryInt(std::string keyPath, std::string valueName,
                   RegistryRoot root = HKEY_CURRENT_USER);

// SetRegistryString of the number in decimal.
Result SetRegistryInt(std::string keyPath, std::string valueName, int value,
                      RegistryRoot root = HKEY_CURRENT_USER);

// Creates every missing key along the path. The walk stops at the first empty or
// invalid name (a doubled or trailing backslash, a name over 1023 bytes or with a
// control character), and below the 512th level. Fails when the store cannot be changed;
// the write that needs the key then fails too and says why.
Result CreateRegistryKeyPath(std::string keyPath, RegistryRoot root = HKEY_CURRENT_USER);

// Deletes the subkey of the parent key with its values and everything below it.
// Fails as not found (ENOENT) when it is missing, and with the reason when the store cannot
// be written.
Result DeleteRegistryKey(std::string parentKeyPath, std::string subkeyName,
                         RegistryRoot root = HKEY_CURRENT_USER);

// The number of direct subkeys; 0 when the key is missing.
int CountRegistrySubkeys(std::string keyPath, RegistryRoot root = HKEY_CURRENT_USER);

// The name of a direct subkey, in the order of names ignoring letter case; the empty
// text when the key is missing or index is out of range.
std::string GetRegistrySubkeyName(std::string keyPath, int index,
                                  RegistryRoot root = HKEY_CURRENT_USER);
