#pragma once

// What the server has below the upload's remote folder that the site no longer has:
// files without a local twin, and folders without a local folder, with everything in
// them. Names that begin with a dot (.htaccess, .well-known) belong to the server's own
// set-up and are left alone, as are names no command could carry (control characters)
// and the twins of whatever the upload's walk left out (a link out of the site, a
// folder that cannot be read, a broken link to a drive not mounted): they are still
// there for a reason. Nothing above the remote folder is ever looked at or named. Runs
// on the upload's worker thread with its connection.

#include <string>
#include <vector>

#include "upload/ftp_client.h"
#include "upload/upload_walk.h"

// The relative paths ("old.htm", "Thumbs/TN_old.jpg", a folder as "old/") of what the
// server has below remoteRoot (an absolute folder as the server names it) and the local
// site lacks, each folder after everything in it, so they can be deleted in order.
// False when the server could not be asked; the connection's last error says why.
bool FindExtraRemoteEntries(FtpClient& connection, const std::string& remoteRoot,
                            const LocalSite& site, std::vector<std::string>& extras);

// Deletes the entries FindExtraRemoteEntries gave, in order, from remoteRoot. False at
// the first that cannot be deleted, whose path goes to failedPath.
bool DeleteRemoteEntries(FtpClient& connection, const std::string& remoteRoot,
                         const std::vector<std::string>& extras, std::string& failedPath);
