#pragma once

// What the server has below the upload's remote folder that the site no longer has, and
// its deletion. The mirror touches nothing it cannot be sure of:
// - names that begin with a dot (.htaccess, .well-known) belong to the server's own set-up
//   and stay, as do names no command could carry (control characters) and the twins of
//   whatever the upload's walk left out (a link out of the site, a folder that cannot be
//   read): they are still there for a reason;
// - a name the site has in another letter case stays: on a server that ignores case it
//   is the very file the upload sent;
// - a link on the server is deleted as a link at most, never entered; a folder the
//   server cannot tell from a link to one (an MLSD listing alone does not), or that it
//   names as another folder of the walk, is not entered unless this upload made it;
// - before it lists or deletes anything in a folder, the mirror changes into that folder
//   by its full path and has the server confirm where it is.
// Nothing above the remote folder is ever looked at or named. Runs on the upload's worker
// thread with its connection.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "upload/ftp_client.h"
#include "upload/upload_walk.h"
#include "upload/upload_worker.h"

// One thing on the server that the site no longer has.
struct RemoteExtra {
    enum class Kind { File, Folder, Link };
    std::string path;  // relative to the remote folder, "/"-separated
    Kind kind = Kind::File;
};

// The path as lists and reports show it: a folder with a "/" after it ("old/").
std::string ShownExtra(const RemoteExtra& extra);

// Where the mirror works: the remote folder (absolute: the profile's folder taken from
// the login folder) and the subfolders this upload made in it (relative).
struct MirrorScope {
    std::string root;
    std::set<std::string> made;
};

// What the walk found.
struct MirrorPlan {
    std::vector<RemoteExtra> extras;  // in deletion order: each folder after what it holds
    std::vector<std::string> kept;    // what stays that the user may wonder about, and why
    std::int64_t filesListed = 0;     // the files (and links) the listings showed
};

// Why the mirror stopped: the folder (absolute) and the reason.
struct MirrorFailure {
    std::string folder;
    std::string reason;
};

// Walks the server below scope.root against the local site. False when a folder could not
// be entered or confirmed, or a listing failed or was not complete: then nothing may be
// deleted, and failure says where and why.
bool FindExtraRemoteEntries(FtpClient& connection, const MirrorScope& scope, const LocalSite& site,
                            MirrorPlan& plan, MirrorFailure& failure);

// Deletes the extras: the files, a folder's files at once (FtpClient::DeleteFiles), then
// the folders in their order, each from its own folder once the server confirmed it is
// there. False at the first that cannot be deleted (failure.folder is then its shown
// path) or whose folder the server does not confirm.
bool DeleteRemoteEntries(FtpClient& connection, const std::string& root,
                         const std::vector<RemoteExtra>& extras, MirrorFailure& failure);

// Why deleting files of the listed ones would go past limit: "more than 50", "more than the
// 10 allowed", "more than a quarter of the 8 files there"; empty when it would not.
std::string DeletionOverLimit(const DeleteLimit& limit, std::int64_t files, std::int64_t listed);
