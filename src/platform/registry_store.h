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
#include "platform/result.h"

// The store's folder and file, from the environment at each call.
std::string RegistryStoreFolder();
std::string RegistryStorePath();

// Reads the store into root. A missing file is an empty store. A file that cannot be read
// or understood fails with kind DamagedInput and a text that names the file (and the
// line); root is then empty.
Result ReadRegistryStore(RegistryKey& root);

// Applies change to the current store and writes the result. change returns ok to keep
// what it did, or a failure (from an errno value) to drop it (nothing is written). The
// application key is added to the tree before change sees it, so the first write of all
// creates it. A failure's text is why, in the system's words: ReadRegistryStore's failure
// when the file cannot be read or understood (it is then left as it is), else the errno
// value's text.
Result ChangeRegistryStore(const std::function<Result(RegistryKey& root)>& change);

// ReadRegistryStore's failure when the store's file cannot be read or understood (a
// missing file can); nothing is saved until it is mended or removed.
Result CheckRegistryStore();

// What a front end shows for a failure of CheckRegistryStore, in a stop box: "Mavren's
// settings cannot be used:" and why; and for a failed change, in an OK box: "Setting
// registry key failed." and why.
std::string RegistryStoreUnusableText(const Result& checked);
std::string RegistryStoreChangeFailedText(const Result& changed);

// Whether the user is still to be told of a failure of CheckRegistryStore or of a change:
// a file that cannot be read or understood is told once per process and kind of damage,
// by whichever of them meets it first; any other failure every time. Counts it as told.
bool RegistryStoreFailureToTell(const Result& failure);
