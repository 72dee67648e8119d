#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/catalogue/DriveList.h"

namespace hozanki {
namespace {

const char* kMounts =
    "proc /proc proc rw,relatime 0 0\n"
    "sysfs /sys sysfs rw 0 0\n"
    "/dev/sda2 / ext4 rw,relatime 0 0\n"
    "devpts /dev/pts devpts rw 0 0\n"
    "tmpfs /run tmpfs rw 0 0\n"
    "tmpfs /run/user/1000 tmpfs rw 0 0\n"
    "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
    "/dev/sdb1 /media/user/USB\\040STICK vfat rw 0 0\n"
    "/dev/sdc1 /run/media/user/CARD exfat rw 0 0\n"
    "nas:/export /mnt/music nfs4 rw 0 0\n"
    "tmpfs /tmp tmpfs rw 0 0\n"
    "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
    "/dev/sda3 /home ext4 rw 0 0\n"
    "/dev/sda4 /home ext4 rw 0 0\n"  // mounted over: the later mount is the one seen
    "broken line\n";

std::vector<std::string> Points(const std::vector<Drive>& drives) {
  std::vector<std::string> out;
  for (const Drive& d : drives) out.push_back(d.mountPoint.native());
  return out;
}

TEST(DriveListTest, ListsRealFileSystemsOnlyWithEscapesDecoded) {
  std::vector<Drive> drives = ParseMountTable(kMounts);
  EXPECT_EQ(Points(drives), (std::vector<std::string>{"/", "/home", "/media/user/USB STICK", "/mnt/music",
                                                      "/run/media/user/CARD", "/tmp"}));
  EXPECT_EQ(drives[1].device, "/dev/sda4");
  EXPECT_EQ(DriveCaption(drives[2]), "/media/user/USB STICK [/dev/sdb1]");
}

TEST(DriveListTest, TheDriveOfAFolderIsItsLongestMountPoint) {
  std::vector<Drive> drives = ParseMountTable(kMounts);
  EXPECT_EQ(DriveOfFolder(drives, "/home/user/Music"), 1u);
  EXPECT_EQ(DriveOfFolder(drives, "/homework"), 0u);  // not below /home
  EXPECT_EQ(DriveOfFolder(drives, "/media/user/USB STICK/"), 2u);
  EXPECT_EQ(DriveOfFolder(drives, "/"), 0u);
  EXPECT_FALSE(DriveOfFolder({}, "/home").has_value());
  EXPECT_FALSE(ListDrives().empty());
}

}  // namespace
}  // namespace hozanki
