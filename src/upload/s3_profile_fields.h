#pragma once

// What an S3 profile's fields must hold before it is saved, checked the same way by the
// profile window and mavren-cli: the endpoint names a server alone (no "https://", no
// path: the protocol chooses HTTPS or HTTP, and buckets are addressed by path), the
// directory "BUCKET/PREFIX" starts with a bucket name S3 takes, and the region is one word
// that can be signed for. Pure functions; safe from any thread.

#include <string>

#include "upload/ftp_profiles.h"

// Why bucket cannot name an S3 bucket (3 to 63 lower-case letters, digits, dots and
// hyphens, starting and ending with a letter or digit, no two dots in a row, not an IP
// address); the empty text when it can.
std::string S3BucketNameProblem(const std::string& bucket);

// Why region cannot be signed for (the empty region is kDefaultS3Region); the empty text
// when it can.
std::string S3RegionProblem(const std::string& region);

// Why an S3 or S3-over-HTTP profile cannot be saved as it is: the endpoint, the
// directory's bucket and the region, checked in this order, with the field at fault in
// field. The empty text and None when nothing is wrong, or the profile is not one of
// object storage. Missing fields are MissingFtpProfileFields's to name.
std::string S3ProfileProblem(const FtpProfile& profile, FtpProfileField& field);
