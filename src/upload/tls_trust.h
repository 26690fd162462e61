#pragma once

// Whether to trust an FTPS server's certificate. Without a pin, libcurl checks it
// against the system's certificate store and the host name; the check below only notes
// the certificate's SHA-256 fingerprint and, when the check fails, why, so the user
// can be asked. With a pin (a fingerprint the user trusted before), only the
// certificate with that fingerprint is taken, and the system's store is not read: an
// upload opens a TLS connection for every file.
//
// One check per connection, used on that connection's thread; the callbacks run inside
// libcurl's TLS handshakes.

#include <curl/curl.h>

#include <string>

struct CertificateCheck {
    std::string pinned;  // fingerprint to take as trusted; empty for none

    // What the last handshake showed.
    std::string fingerprint;  // "AB:CD:..." of the server's certificate; empty before
    std::string problem;      // why it failed the check, in OpenSSL's words; empty if not
};

// Sets up the next request of handle (after its reset) to verify the server's
// certificate as above. check must outlive the request.
void ApplyCertificateCheck(CURL* handle, CertificateCheck& check);

// Sets up a later request of a connection whose certificate passed the check: without a
// pin, libcurl's own check alone, which keeps the system's store between connections.
void ApplyCheckedCertificate(CURL* handle, CertificateCheck& check);

// True when a request ended with code because the server's certificate was not trusted.
bool CertificateRefused(CURLcode code, const CertificateCheck& check);
