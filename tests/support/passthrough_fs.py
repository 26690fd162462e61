#!/usr/bin/python3
"""A folder mounted again through FUSE, every call passed through to it: the base of the
test file systems that differ from a plain one in a single way (case_insensitive_fs.py,
breaking_listing_fs.py). A subclass changes real() to map names, or one operation.

Prints "mounted" once the mount answers; runs until unmounted. Needs /dev/fuse and root
(or fusermount), and Debian's python3-fusepy.
"""

import errno
import os
import sys

import fusepy


class Passthrough(fusepy.Operations):
    use_ns = True  # times in nanoseconds, as the runs record them

    def __init__(self, root):
        self.root = os.path.realpath(root)

    def real(self, path):
        return os.path.join(self.root, path.lstrip("/"))

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
        os.rename(self.real(old), self.real(new))

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


def serve(operations, doc):
    """Mounts operations at the mount point the command line names."""
    if len(sys.argv) != 3:
        sys.exit(doc)
    fusepy.FUSE(operations(sys.argv[1]), sys.argv[2], foreground=True, use_ino=True,
                nothreads=True, default_permissions=True)
