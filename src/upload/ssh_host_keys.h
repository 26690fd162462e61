#pragma once

// Whether to trust an SFTP server's host key: the server is looked up in the user's
// ~/.ssh/known_hosts (as ssh does, see known_hosts.h), read by us once per connection, and
// every handshake's key is checked against it in libcurl's host key callback. A key that
// some line records for the server is taken; a server that no line names is refused but
// kept, so that the user can be asked and a Yes can record its key; a server named with
// other keys only (a changed key) or a revoked key is refused, and never recorded here.
//
// One check per connection, used on that connection's thread; the callback runs inside
// libcurl's SSH handshake.

#include <curl/curl.h>

#include <string>

#include "platform/file_descriptor.h"
#include "upload/known_hosts.h"

struct HostKeyCheck {
    enum class Outcome { NotSeen, Known, Unknown, Changed, Revoked };

    std::string knownHosts;  // the file to check against and record in
    std::string host;
    int port = 22;
    KnownHosts recorded;  // what the file held when the connection opened

    // What the last handshake showed.
    Outcome outcome = Outcome::NotSeen;
    std::string keyType;      // "ssh-ed25519"
    std::string keyBase64;    // the key as known_hosts holds it
    std::string fingerprint;  // "SHA256:..." as ssh shows it
};

// The user's known_hosts file: $HOME/.ssh/known_hosts.
std::string UserKnownHostsFile();

// Reads check.knownHosts into check.recorded (see ReadKnownHosts). Fails, with the
// sentence to show as its text, when the file cannot be used.
Result LoadKnownHosts(HostKeyCheck& check);

// A file in memory that names the server with only its first recorded key, for libcurl
// to ask the server for a key of that type (a server has keys of several types, and
// the file may record one of them only); none when no line names the server with a
// type libcurl knows. Lives as long as the descriptor.
UniqueFd PreferredKeyTypeFile(const HostKeyCheck& check);

// Sets up the next request of handle (after its reset) to check the host key as above;
// preferred is PreferredKeyTypeFile's descriptor (or none). check must outlive the request.
void ApplyHostKeyCheck(CURL* handle, HostKeyCheck& check, const UniqueFd& preferred);

// Appends the unknown key the last handshake showed to the known_hosts file, creating
// it (and its folder) when missing, unless a line names the server by now (a key the
// file already has is not added twice; another one is refused). Fails with the reason as
// text: the system's description of a failed step, or a sentence.
Result RecordHostKey(const HostKeyCheck& check);
