#pragma once

// Making the desktop open program files with Mavren: a shared-mime-info package that
// gives files with the extension their own type, and a desktop entry that opens that
// type with the program, both under $XDG_DATA_HOME. Run at every start; files that are
// already right are left alone. Not for several threads at once.

#include <string>

// The type name a ProgID stands for: "Mavren.Program" gives
// "application/x-mavren-program".
std::string MimeTypeForProgId(const std::string& progId);

// Writes $XDG_DATA_HOME/mime/packages/<name>.xml, naming the type of "*" + extension
// with description as its comment, and $XDG_DATA_HOME/applications/<app>.desktop,
// which opens that type with programPath (the running executable when empty); <name>
// is the type's name after "application/x-" and <app> the ProgID up to its first dot,
// both in lower case. The icon beside the program, "mavren.png" for index 0 and
// "mavren-program.png" for index 1, is named when it exists. The desktop's caches are
// refreshed (update-mime-database, update-desktop-database) when a file changed and
// the tools exist. Never reports a failure; always true.
bool RegisterFileType(const std::string& progId, const std::string& extension,
                      const std::string& description, const std::string& programPath,
                      int iconIndex);
