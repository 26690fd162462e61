#pragma once

// The HTTP headers an object in a bucket is served with, chosen from its key (and, for a
// page, its first bytes), since a bucket behind a CDN serves exactly what it was given.
// Pure functions.

#include <string>
#include <string_view>

// The Content-Type for the object key from its extension, in any letter case:
// "image/jpeg" for "a/B.JPG", "application/octet-stream" for one not known. A page (.htm,
// .html) is "text/html", with "; charset=X" when a META element in its first 1024 bytes
// (firstBytes may hold more or fewer) declares X, by CHARSET or by an HTTP-EQUIV
// Content-Type.
std::string S3ContentType(const std::string& key, std::string_view firstBytes);

// The Cache-Control for the object key: a year and immutable for a theme copy whose name
// carries the digest of its bytes ("Theme/theme.3f9a1c2b.css"), since a new version gets
// a new name; five minutes for pages; an hour for everything else, which keeps its name
// when its content changes (a photo edited again).
std::string S3CacheControl(const std::string& key);
