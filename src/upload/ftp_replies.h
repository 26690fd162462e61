#pragma once

// Reading what an FTP server answers: the code of a reply line, the folder in a reply
// to PWD, the time format of MDTM and MLST, and the facts of an MLST listing. Pure
// functions.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/expected.h"
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

// What one line of a folder listing holds.
enum class ListingLine {
    Entry,          // an entry of the folder
    Skip,           // nothing of its own: the folder itself, its parent, a "total" line
    NotUnderstood,  // something this reader does not know; the listing cannot be trusted
};

// One line of an MLSD listing ("type=file;size=12;modify=...; a b.htm"): the facts up to
// the first blank, then the name, taken whole. A type that names a link
// ("OS.unix=slink:/x", "OS.unix=symlink") makes a link; "cdir" and "pdir" are skipped; a
// line without a type is not understood.
ListingLine ParseMlsdLine(const std::string& line, RemoteEntry& entry);

// One line of a LIST listing, in either form servers use: as "ls -l" writes it, with or
// without the group ("drwxr-xr-x 2 ann ann 4096 Jan  1 12:00 images", "-rw-r--r-- 1 ann 12
// Jan  1  2023 my photo.jpg"), which SFTP servers give too, or as Windows servers do
// ("01-02-24  03:04PM  <DIR>  images", "01-02-2024  15:04  1234 a.htm"). The name is what
// follows the time, blanks and all; a link's target (" -> /etc") is cut off.
ListingLine ParseListLine(const std::string& line, RemoteEntry& entry);

// The entries of a whole listing, each name once (a name listed twice is one entry, a
// link if either line says so). Lines end in CR LF, or in LF where the listing has no CR
// LF at all, so a name holding a lone CR or LF stays whole. Fails (DamagedInput), with the
// first line that is not understood and its number from 1 as text, when any line is not.
Expected<std::vector<RemoteEntry>> ParseListing(const std::string& text, bool mlsd);

// A command by which a server hashes a whole file, as its reply to FEAT offers it:
// "HASH" (whose algorithm the FEAT line marks with "*", or one OPTS HASH selects), or one
// of the older "XSHA256", "XSHA1" and "XMD5".
struct FtpHashCommand {
    std::string command;    // "HASH", "XSHA256", ...
    std::string selection;  // for HASH: the algorithm to select first ("SHA-256"); else empty
    std::string algorithm;  // as OpenSSL names it: "SHA256", "SHA1", "MD5"
};

// The best hash command among the lines of a reply to FEAT (SHA-256 before SHA-1 before
// MD5; HASH before the others at equal strength). False when none is offered.
bool ParseHashFeature(const std::vector<std::string>& lines, FtpHashCommand& command);

// The hash in a reply line to a hash command ("213 SHA-256 0-99 <hex> a.jpg", "250 <hex>"):
// the first word that is hexadecimal of hexLength digits, lowercased. False when there is
// none.
bool ParseHashReply(const std::string& line, std::size_t hexLength, std::string& hex);
