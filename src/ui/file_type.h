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
// both in lower case. The desktop entry names the application icon beside the program,
// "<app>.png", when it exists; the icon of iconIndex ("<app>.png" for 0, "<name>.png"
// for 1) becomes the type's icon in the user's hicolor theme. What a package or make
// install already provides is not repeated: with the type's package in a system data
// folder the user's copy of the package and type icon goes, and with an installed entry
// that opens the type with this very program the user's entry goes. The desktop's caches
// are refreshed (update-mime-database, update-desktop-database) when a file changed and
// the tools exist. Never reports a failure; always true.
bool RegisterFileType(const std::string& progId, const std::string& extension,
                      const std::string& description, const std::string& programPath,
                      int iconIndex);
