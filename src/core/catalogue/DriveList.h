#pragma once
// The drive box's entries: the mounted file systems where files live (the
// root, disks, USB sticks, network shares), without the kernel's pseudo file
// systems (proc, sysfs, cgroup, devpts, ...), read-only snap images (squashfs) and without mounts below
// /proc, /sys, /dev and /run (except /run/media, where removable media appear).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

struct Drive {
  std::filesystem::path mountPoint;  // raw bytes, e.g. "/media/user/USB STICK"
  std::string device;                // "/dev/sdb1", "server:/export"
  std::string type;                  // "ext4", "vfat", "nfs"
};

// All mounts of a mount table in the form of /proc/self/mounts (octal
// escapes such as "\040" decoded), in table order, nothing left out.
std::vector<Drive> ParseAllMounts(std::string_view text);

// The text of /proc/self/mounts (empty when it cannot be read).
std::string ReadMountTable();

// The drive box's share of a mount table. Later mounts on the same point
// replace earlier ones; the result is sorted by mount point, the root first.
std::vector<Drive> ParseMountTable(std::string_view text);

// The drives of this machine (from /proc/self/mounts; just "/" when it cannot
// be read).
std::vector<Drive> ListDrives();

// The index of the drive holding `folder`: the longest mount point that is
// the folder or one of its parents. Empty when none is.
std::optional<size_t> DriveOfFolder(const std::vector<Drive>& drives, const std::filesystem::path& folder);

// The text shown in the drive box: the mount point, then the device in
// brackets ("/media/user/USB [/dev/sdb1]").
std::string DriveCaption(const Drive& drive);

}  // namespace hozanki
