#pragma once

// The ways an upload can reach a server: plain FTP, FTP with explicit TLS (AUTH TLS,
// the data connections protected too) and SFTP over SSH. A profile stores its protocol
// by name; a profile without one is FTP, as every profile was before the choice existed.
// Pure functions; safe from any thread.

#include <string>

enum class FtpProtocol { Ftp, Ftps, Sftp };

// The name stored in the profile and taken by mavren-cli: "ftp", "ftps", "sftp".
const char* FtpProtocolKey(FtpProtocol protocol);

// The name a window shows: "FTP", "FTP with TLS (FTPS)", "SFTP (SSH)".
const char* FtpProtocolCaption(FtpProtocol protocol);

// The protocol of a stored or typed name, ignoring letter case. The empty text is FTP;
// false for a name that is none of the three.
bool ParseFtpProtocol(const std::string& name, FtpProtocol& protocol);

// The port a server listens on unless the host names another: 21, 21 and 22.
int DefaultPort(FtpProtocol protocol);
