#pragma once

// Reading what an FTP server answers: the code of a reply line, the folder in a reply
// to PWD, the time format of MDTM and MLST, and the facts of an MLST listing. Pure
// functions.

#include <ctime>
#include <string>
#include <string_view>

#include "upload/ftp_client.h"

// The code of a final reply line ("250 OK" gives 250); 0 for any other line, such as
// the continuation lines of a multi-line reply ("250-...", " facts").
int FtpReplyCode(std::string_view line);

// What follows the code of a reply line, without the blanks around it ("213 1234" gives
// "1234").
std::string FtpReplyArgument(const std::string& line);

// The folder named by a reply to PWD ('257 "/www/a ""b""" is current'): the quoted text
// with doubled quotes made single. False when the reply quotes nothing.
bool ParseQuotedFolder(const std::string& reply, std::string& folder);

// A time as servers give it to MDTM and MLST ("YYYYMMDDHHMMSS", UTC, any fraction
// ignored) in seconds since the epoch; -1 when the text is not one.
std::time_t ParseFtpTime(std::string_view text);

// The size and time in an MLST facts line (" type=file;size=12;modify=20240102030405;
// /www/a.htm"), fact names in any case. True when the facts say it is a file.
bool ParseListingFacts(const std::string& line, RemoteFileStatus& status);

// One line of an MLSD listing ("type=file;size=12;modify=...; a.htm"). False for a line
// that names no entry of its own: the folder itself ("cdir"), its parent ("pdir"), or a
// line without facts.
bool ParseMlsdLine(const std::string& line, RemoteEntry& entry);

// One line of a long listing as "ls -l" writes it, which LIST and SFTP give
// ("drwxr-xr-x 2 ann ann 4096 Jan  1 12:00 images"): the type letter first, the name
// after the time; a link's target is cut off. False for "total" lines, "." and "..".
bool ParseLongListingLine(const std::string& line, RemoteEntry& entry);
