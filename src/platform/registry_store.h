#pragma once

// The settings store on disk: one text file (see registry_tree.h for its form) in
// $XDG_CONFIG_HOME/Orvashi/Mavren 1.0/, readable only by its owner. Reads take the file
// as it is; every change locks the folder against other processes and threads, reads
// the file afresh, changes the tree, and replaces the file through a synced temporary
// file, so concurrent writers never lose each other's values and a crash leaves either
// the old or the new file. Safe from any thread and any number of processes.

#include <functional>
#include <string>

#include "platform/registry_tree.h"

// The store's folder and file, from the environment at each call.
std::string RegistryStoreFolder();
std::string RegistryStorePath();

// Reads the store into root. A missing file is an empty store. On failure root is
// empty and reason says why.
bool ReadRegistryStore(RegistryKey& root, std::string& reason);

// How a change of the store ended.
struct RegistryStoreChange {
    bool ok = true;
    std::string reason;    // why not, in the system's words
    bool damaged = false;  // the file is there but cannot be read or understood
};

// Applies change to the current store and writes the result. change returns 0 to keep
// what it did, or an errno value to drop it (nothing is written and the reason is that
// value's text). The application key is added to the tree before change sees it,
// so the first write of all creates it.
RegistryStoreChange ChangeRegistryStore(const std::function<int(RegistryKey& root)>& change);

// Checks that the store's file can be read and understood (a missing file can). When it
// cannot, says so in a box naming the file and the line, once per process and kind of
// damage, and returns false; the file is then left as it is and nothing is saved.
bool CheckRegistryStore();

// Shows "Setting registry key failed.\n\n" and the reason in an OK box, unless the change
// failed on a damaged file that the user has already been told about (by this or by
// CheckRegistryStore).
void ShowRegistryStoreFailure(const RegistryStoreChange& change);
