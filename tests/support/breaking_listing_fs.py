#!/usr/bin/python3
"""A folder mounted again through FUSE whose listings break off part way where asked: a
folder that holds an entry named ".listing-breaks" (hidden from its listing) hands out the
first half of its entries, then fails the next read with EIO, as a failing disk or a
network share that drops does. Remove the marker and the folder lists whole again.

Usage: breaking_listing_fs.py ROOT MOUNTPOINT
Prints "mounted" once the mount answers; runs until unmounted.
"""

import errno
import os
import sys

import fusepy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from passthrough_fs import Passthrough, serve  # noqa: E402

MARKER = ".listing-breaks"


class BreakingListing(Passthrough):
    def __init__(self, root):
        super().__init__(root)
        self.reads = {}  # by open folder handle: how many reads it had
        self.next_handle = 1

    def opendir(self, path):
        handle = self.next_handle
        self.next_handle += 1
        self.reads[handle] = 0
        return handle

    def releasedir(self, path, fh):
        self.reads.pop(fh, None)
        return 0

    def readdir(self, path, fh):
        names = [n for n in os.listdir(self.real(path)) if n != MARKER]
        entries = [".", ".."] + names
        if MARKER not in os.listdir(self.real(path)):
            return entries
        self.reads[fh] = self.reads.get(fh, 0) + 1
        if self.reads[fh] > 1:
            raise fusepy.FuseOSError(errno.EIO)
        # With offsets the kernel asks again for the rest, and that read fails.
        kept = entries[:2 + max(1, len(names) // 2)]
        return [(name, None, offset + 1) for offset, name in enumerate(kept)]


if __name__ == "__main__":
    serve(BreakingListing, __doc__)
