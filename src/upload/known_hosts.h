#pragma once

// The SSH known_hosts file, read as OpenSSH reads it, line by line: an optional marker
// ("@cert-authority", "@revoked"), the host names (comma-separated patterns with "*",
// "?" and "!", "[host]:port" for another port than 22, or one hashed "|1|salt|hmac"
// name), the key type and the key in base64, then an optional comment. A line that
// cannot be read is skipped and noted by its number; every other line counts, however
// long. Pure functions on the text, apart from ReadKnownHosts; safe from any thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

struct KnownHostsLine {
    int number = 0;       // from 1
    std::string marker;   // "", "@cert-authority" or "@revoked"
    std::string names;    // the host names field as written
    std::string keyType;  // "ssh-ed25519"
    std::string key;      // the key blob, decoded
};

struct KnownHosts {
    std::vector<KnownHostsLine> lines;  // every line that holds a key
    std::vector<int> unreadable;        // numbers of the lines that could not be read
};

// Larger files are refused: known_hosts holds a line per server.
constexpr std::size_t kMaxKnownHostsSize = 32 * 1024 * 1024;

// Reads the lines of text.
KnownHosts ParseKnownHosts(std::string_view text);

// Reads the file at path without waiting for it: a missing file has no lines; a file
// that is not a regular file (a FIFO, a device, a folder), is larger than
// kMaxKnownHostsSize or cannot be read fails with the reason as its text.
Result ReadKnownHosts(const std::string& path, KnownHosts& hosts);

// How known_hosts names a server: "host", or "[host]:port" for another port than 22.
std::string KnownHostsName(const std::string& host, int port);

// Whether a names field names the server called name (KnownHostsName), as OpenSSH
// matches it: letter case ignored, a matching "!" pattern overrides every other.
bool NamesHost(std::string_view names, std::string_view name);

// What the recorded lines say about a server's key (a blob as the server sent it).
enum class HostKeyMatch {
    Known,    // a line names the server with this key
    Changed,  // lines name the server, none with this key
    Revoked,  // a "@revoked" line holds this key
    Unknown,  // no line names the server
};
HostKeyMatch MatchHostKey(const KnownHosts& hosts, std::string_view name, std::string_view key);

// The first line that names the server with a key of its own (no marker); null for none.
const KnownHostsLine* FirstKeyOf(const KnownHosts& hosts, std::string_view name);

// The type named at the start of a key blob ("ssh-ed25519"); empty when there is none.
std::string KeyBlobType(std::string_view blob);

// The warning about lines that could not be read: "Line 3 of FILE cannot be read; it is
// skipped.", or the lines listed; empty when there are none.
std::string UnreadableLinesText(const std::string& path, const std::vector<int>& lines);
