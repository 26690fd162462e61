#pragma once

// The ways an upload can reach a server: plain FTP, FTP with explicit TLS (AUTH TLS,
// the data connections protected too), SFTP over SSH, and S3-compatible object storage
// over HTTPS (or plain HTTP, for a gateway on the same machine or network). A profile stores its
// protocol by name; a profile without one is FTP, as every profile was before the choice existed.
// Pure functions; safe from any thread.

#include <string>

enum class FtpProtocol { Ftp, Ftps, Sftp, S3, S3Http };

// The region an S3 request is signed for when the profile names none.
inline constexpr const char* kDefaultS3Region = "us-east-1";

// The name stored in the profile and taken by mavren-cli: "ftp", "ftps", "sftp", "s3",
// "s3-http".
const char* FtpProtocolKey(FtpProtocol protocol);

// The name a window shows: "FTP", "FTP with TLS (FTPS)", "SFTP (SSH)",
// "S3-compatible storage", "S3-compatible storage over HTTP".
const char* FtpProtocolCaption(FtpProtocol protocol);

// The protocol of a stored or typed name, ignoring letter case. The empty text is FTP;
// false for a name that is none of them.
bool ParseFtpProtocol(const std::string& name, FtpProtocol& protocol);

// The port a server listens on unless the host names another: 21, 21, 22, 443 and 80.
int DefaultPort(FtpProtocol protocol);

// Whether the protocol is one of object storage (S3 over HTTPS or HTTP).
bool IsObjectStorage(FtpProtocol protocol);
