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

import errno
import os
import sys

import fusepy


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


class CaseInsensitive(fusepy.Operations):
    use_ns = True  # times in nanoseconds, as the run records them

    def __init__(self, root):
        self.root = os.path.realpath(root)

    def real(self, path):
        """The underlying path: every part that matches an entry becomes that entry."""
        current = self.root
        for part in [p for p in path.split("/") if p]:
            current = os.path.join(current, matching_entry(current, part) or part)
        return current

    def init(self, path):
        print("mounted", flush=True)

    def access(self, path, mode):
        if not os.access(self.real(path), mode):
            raise fusepy.FuseOSError(errno.EACCES)

    def getattr(self, path, fh=None):
        st = os.lstat(self.real(path))
        attributes = {key: getattr(st, key) for key in (
            "st_mode", "st_ino", "st_nlink", "st_uid", "st_gid", "st_size")}
        for key in ("st_atime", "st_mtime", "st_ctime"):
            attributes[key] = getattr(st, key + "_ns")
        return attributes

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self.real(path))

    def readlink(self, path):
        return os.readlink(self.real(path))

    def mkdir(self, path, mode):
        os.mkdir(self.real(path), mode)

    def rmdir(self, path):
        os.rmdir(self.real(path))

    def unlink(self, path):
        os.unlink(self.real(path))

    def symlink(self, target, source):
        os.symlink(source, self.real(target))

    def rename(self, old, new):
        source = self.real(old)
        destination = self.real(new)
        if source == destination:
            return 0
        os.rename(source, destination)

    def chmod(self, path, mode):
        os.chmod(self.real(path), mode)

    def chown(self, path, uid, gid):
        os.lchown(self.real(path), uid, gid)

    def truncate(self, path, length, fh=None):
        os.truncate(self.real(path), length)

    def utimens(self, path, times=None):
        if times is None:
            os.utime(self.real(path), follow_symlinks=False)
        else:
            os.utime(self.real(path), ns=times, follow_symlinks=False)

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {key: getattr(st, key) for key in (
            "f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree",
            "f_files", "f_flag", "f_frsize", "f_namemax")}

    def open(self, path, flags):
        return os.open(self.real(path), flags)

    def create(self, path, mode, fi=None):
        return os.open(self.real(path), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        return os.pwrite(fh, data, offset)

    def flush(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        os.fsync(fh)

    def release(self, path, fh):
        os.close(fh)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    fusepy.FUSE(CaseInsensitive(sys.argv[1]), sys.argv[2], foreground=True, use_ino=True,
                nothreads=True, default_permissions=True)


if __name__ == "__main__":
    main()
