#pragma once

// Whether to trust an SFTP server's host key: libcurl looks the server up in the user's
// ~/.ssh/known_hosts (as ssh does); the check below notes what it found, refuses every
// key that is not recorded there, and keeps an unknown key so that the user can be asked
// and a Yes can record it. A changed key is refused and never recorded here.
//
// One check per connection, used on that connection's thread; the callback runs inside
// libcurl's SSH handshake.

#include <curl/curl.h>

#include <string>

struct HostKeyCheck {
    enum class Outcome { NotSeen, Known, Unknown, Changed };

    std::string knownHosts;  // the file to check against and record in
    std::string host;
    int port = 22;

    // What the last handshake showed.
    Outcome outcome = Outcome::NotSeen;
    std::string keyType;      // "ssh-ed25519"
    std::string keyBase64;    // the key as known_hosts holds it
    std::string fingerprint;  // "SHA256:..." as ssh shows it
};

// The user's known_hosts file: $HOME/.ssh/known_hosts.
std::string UserKnownHostsFile();

// Sets up the next request of handle (after its reset) to check the host key as above.
// check must outlive the request.
void ApplyHostKeyCheck(CURL* handle, HostKeyCheck& check);

// Appends the unknown key the last handshake showed to the known_hosts file, creating
// it (and its folder) when missing. False with the reason in problem.
bool RecordHostKey(const HostKeyCheck& check, std::string& problem);
