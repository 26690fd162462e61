#!/usr/bin/python3
"""A folder mounted again through FUSE whose files can be sealed: while the folder holds an
entry named ".sealed" (hidden from its listing), opening any file in it fails with EACCES,
as for a user who may not read them, yet every file's status (size and times) stays as it
was. Root reads files whatever their mode, so chmod cannot show that nothing was opened.

Usage: sealed_files_fs.py ROOT MOUNTPOINT
Prints "mounted" once the mount answers; runs until unmounted.
"""

import errno
import os
import sys

import fusepy

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../support"))
from passthrough_fs import Passthrough, serve  # noqa: E402

MARKER = ".sealed"


class SealedFiles(Passthrough):
    def readdir(self, path, fh):
        return [name for name in super().readdir(path, fh) if name != MARKER]

    def open(self, path, flags):
        folder = os.path.dirname(self.real(path))
        if os.path.exists(os.path.join(folder, MARKER)):
            raise fusepy.FuseOSError(errno.EACCES)
        return super().open(path, flags)


if __name__ == "__main__":
    serve(SealedFiles, __doc__)
