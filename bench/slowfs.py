#!/usr/bin/python3
# slowfs.py ROOT MOUNTPOINT DELAY_MS [--writable]: mounts ROOT at MOUNTPOINT
# (read-only unless --writable) and waits DELAY_MS before answering every
# look-up, open, read and directory listing, and with --writable every
# write, flush to disk, truncation, time change, create, link, rename and
# removal too, the way each request to a share on a network is a round trip.
# Requests are answered on many threads, so waits overlap as on a real share.
# Runs in the foreground until unmounted (umount / fusermount -u MOUNTPOINT).
# Needs python3-fusepy (and fuse3 for fusermount3).
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations

UTIME_NOW = (1 << 30) - 1
UTIME_OMIT = (1 << 30) - 2


class SlowFuse(FUSE):
    # fusepy folds each time into one number, losing UTIME_NOW and
    # UTIME_OMIT (a save sets the modification time only): hand them on.
    def utimens(self, path, buf):
        times = None
        if buf:
            times = ((buf.contents.actime.tv_sec, buf.contents.actime.tv_nsec),
                     (buf.contents.modtime.tv_sec, buf.contents.modtime.tv_nsec))
        return self.operations('utimens', path.decode(self.encoding), times)

STAT_KEYS = ("st_gid", "st_mode", "st_nlink", "st_size", "st_uid", "st_ino")
TIME_KEYS = ("st_atime", "st_ctime", "st_mtime")  # as nanoseconds (use_ns)
STATVFS_KEYS = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files", "f_flag",
                "f_frsize", "f_namemax")


class SlowShare(Operations):
    use_ns = True  # times to the nanosecond, as the saves compare them

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
        attrs = {key: getattr(st, key) for key in STAT_KEYS}
        attrs.update({key: getattr(st, key + "_ns") for key in TIME_KEYS})
        return attrs

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
            return os.open(self._real(path), flags & (os.O_ACCMODE | os.O_TRUNC | os.O_APPEND))
        except OSError as e:
            raise FuseOSError(e.errno)

    def read(self, path, size, offset, fh):
        self._round_trip()
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0

    # Writing (--writable only: the mount is read-only otherwise).
    def write(self, path, data, offset, fh):
        self._round_trip()
        return os.pwrite(fh, data, offset)

    def truncate(self, path, length, fh=None):
        self._round_trip()
        if fh is not None:
            os.ftruncate(fh, length)
        else:
            os.truncate(self._real(path), length)

    def fsync(self, path, datasync, fh):
        self._round_trip()
        if datasync:
            os.fdatasync(fh)
        else:
            os.fsync(fh)
        return 0

    def fsyncdir(self, path, datasync, fh):
        self._round_trip()
        return 0

    def create(self, path, mode, fi=None):
        self._round_trip()
        return os.open(self._real(path), os.O_RDWR | os.O_CREAT | os.O_EXCL, mode)

    def utimens(self, path, times=None):
        # times: None (now) or ((sec, nsec), (sec, nsec)), nsec possibly
        # UTIME_NOW or UTIME_OMIT (see SlowFuse.utimens).
        self._round_trip()
        real = self._real(path)
        if times is None:
            os.utime(real)
            return
        st = os.stat(real)
        now = time.time_ns()
        kept = (st.st_atime_ns, st.st_mtime_ns)
        os.utime(real, ns=tuple(now if n == UTIME_NOW else kept[i] if n == UTIME_OMIT else s * 10**9 + n
                                for i, (s, n) in enumerate(times)))

    def chmod(self, path, mode):
        self._round_trip()
        os.chmod(self._real(path), mode)

    def chown(self, path, uid, gid):
        self._round_trip()
        os.chown(self._real(path), uid, gid)

    def unlink(self, path):
        self._round_trip()
        os.unlink(self._real(path))

    def link(self, target, source):
        self._round_trip()
        os.link(self._real(source), self._real(target))

    def rename(self, old, new):
        self._round_trip()
        os.rename(self._real(old), self._real(new))

    def mkdir(self, path, mode):
        self._round_trip()
        os.mkdir(self._real(path), mode)

    def rmdir(self, path):
        self._round_trip()
        os.rmdir(self._real(path))

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        return {key: getattr(st, key) for key in STATVFS_KEYS}


def main():
    args = [a for a in sys.argv[1:] if a != "--writable"]
    if len(args) != 3:
        sys.exit("usage: slowfs.py ROOT MOUNTPOINT DELAY_MS [--writable]")
    root, mountpoint, delay_ms = os.path.realpath(args[0]), args[1], float(args[2])
    SlowFuse(SlowShare(root, delay_ms / 1000.0), mountpoint, foreground=True, nothreads=False,
         ro="--writable" not in sys.argv, attr_timeout=0, entry_timeout=0, allow_other=False,
         big_writes=True)  # writes of up to 128 KiB per request, as a share takes them


if __name__ == "__main__":
    main()
