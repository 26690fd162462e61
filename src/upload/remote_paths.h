#pragma once

// Folders on a server as the upload names them: absolute and "/"-separated, with "." and
// ".." walked and doubled or trailing slashes dropped, so that two names of one folder
// compare equal. Pure functions.

#include <string>

// path taken from base (itself absolute) unless it is absolute: ("/www", "a/./b/..") gives
// "/www/a", ("/www", "/x//") gives "/x"; the root is "/".
std::string RemoteFolderPath(const std::string& base, const std::string& path);

// True when what a server said its current folder is (a PWD reply) names folder (as
// RemoteFolderPath writes it), in any letter case: a server that ignores case answers
// with the case it keeps.
bool SameRemoteFolder(const std::string& said, const std::string& folder);
