#!/usr/bin/python3
"""A folder mounted again through FUSE with names compared ignoring letter case, as on
vfat, exFAT or an SMB share: "rome/a.jpg" finds "Rome/a.jpg", a new name that matches an
entry is that entry, and names are kept as they were first written. As on vfat under
Linux, a rename whose two names find the same file does nothing (the kernel's VFS skips
it there), so a change of case alone takes two renames.

Usage: case_insensitive_fs.py ROOT MOUNTPOINT
Prints "mounted" once the mount answers; runs until unmounted. Needs /dev/fuse and root
(or fusermount), and Debian's python3-fusepy.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from passthrough_fs import Passthrough, serve  # noqa: E402


def matching_entry(folder, name):
    """The entry of folder that name finds, or None."""
    if os.path.lexists(os.path.join(folder, name)):
        return name
    wanted = name.casefold()
    try:
        for entry in os.listdir(folder):
            if entry.casefold() == wanted:
                return entry
    except OSError:
        pass
    return None


class CaseInsensitive(Passthrough):
    def real(self, path):
        """The underlying path: every part that matches an entry becomes that entry."""
        current = self.root
        for part in [p for p in path.split("/") if p]:
            current = os.path.join(current, matching_entry(current, part) or part)
        return current

    def rename(self, old, new):
        source = self.real(old)
        destination = self.real(new)
        if source == destination:
            return 0
        os.rename(source, destination)


if __name__ == "__main__":
    serve(CaseInsensitive, __doc__)
