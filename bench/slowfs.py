#!/usr/bin/python3
# slowfs.py ROOT MOUNTPOINT DELAY_MS: mounts ROOT read-only at MOUNTPOINT and
# waits DELAY_MS before answering every look-up, open, read and directory
# listing, the way each request to a share on a network is a round trip.
# Requests are answered on many threads, so waits overlap as on a real share.
# Runs in the foreground until unmounted (umount / fusermount -u MOUNTPOINT).
# Needs python3-fusepy (and fuse3 for fusermount3).
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations

STAT_KEYS = ("st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink", "st_size", "st_uid", "st_ino")
STATVFS_KEYS = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files", "f_flag",
                "f_frsize", "f_namemax")


class SlowShare(Operations):
    def __init__(self, root, delay_seconds):
        self.root = root
        self.delay = delay_seconds

    def _real(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def _round_trip(self):
        if self.delay > 0:
            time.sleep(self.delay)

    def getattr(self, path, fh=None):
        self._round_trip()
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in STAT_KEYS}

    def readdir(self, path, fh):
        # Names only, as many shares list them: the entries carry no type.
        self._round_trip()
        return [".", ".."] + os.listdir(self._real(path))

    def readlink(self, path):
        self._round_trip()
        return os.readlink(self._real(path))

    def open(self, path, flags):
        self._round_trip()
        try:
            return os.open(self._real(path), os.O_RDONLY)
        except OSError as e:
            raise FuseOSError(e.errno)

    def read(self, path, size, offset, fh):
        self._round_trip()
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        return {key: getattr(st, key) for key in STATVFS_KEYS}


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: slowfs.py ROOT MOUNTPOINT DELAY_MS")
    root, mountpoint, delay_ms = os.path.realpath(sys.argv[1]), sys.argv[2], float(sys.argv[3])
    FUSE(SlowShare(root, delay_ms / 1000.0), mountpoint, foreground=True, nothreads=False, ro=True,
         attr_timeout=0, entry_timeout=0, allow_other=False)


if __name__ == "__main__":
    main()
