#include "core/catalogue/DriveList.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "core/catalogue/FolderScan.h"

namespace hozanki {
namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 25> kPseudoTypes = {
    "squashfs",  "proc",      "sysfs",       "devtmpfs",        "devpts",
    "cgroup",    "cgroup2",   "securityfs",  "pstore",          "bpf",
    "tracefs",   "debugfs",   "configfs",    "fusectl",         "mqueue",
    "hugetlbfs", "autofs",    "binfmt_misc", "rpc_pipefs",      "nsfs",
    "efivarfs",  "selinuxfs", "ramfs",       "fuse.gvfsd-fuse", "fuse.portal"};

// "\040" -> " " and the like.
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(
          static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool IsBelow(const std::string& path, std::string_view folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            path[folder.size()] == '/');
}

bool IsHidden(const std::string& type, const std::string& mountPoint) {
  if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end()) return true;
  if (IsBelow(mountPoint, "/run/media")) return false;
  for (std::string_view system : {"/proc", "/sys", "/dev", "/run", "/boot/efi"})
    if (IsBelow(mountPoint, system)) return true;
  return false;
}

}  // namespace

std::vector<Drive> ParseAllMounts(std::string_view text) {
  std::vector<Drive> mounts;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    mounts.push_back(Drive{fs::path(Unescape(mountPoint)), Unescape(device), type});
  }
  return mounts;
}

std::string ReadMountTable() {
  std::ifstream in("/proc/self/mounts");
  std::stringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

std::vector<Drive> ParseMountTable(std::string_view text) {
  std::vector<Drive> drives;
  for (Drive& drive : ParseAllMounts(text)) {
    const std::string& mountPoint = drive.mountPoint.native();
    if (mountPoint.empty() || mountPoint.front() != '/' || IsHidden(drive.type, mountPoint)) continue;
    auto same = std::find_if(drives.begin(), drives.end(),
                             [&](const Drive& d) { return d.mountPoint == drive.mountPoint; });
    if (same != drives.end())
      *same = std::move(drive);
    else
      drives.push_back(std::move(drive));
  }
  std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) {
    return CompareFolderEntryNames(DisplayName(a.mountPoint), DisplayName(b.mountPoint)) < 0;
  });
  return drives;
}

std::vector<Drive> ListDrives() {
  std::vector<Drive> drives = ParseMountTable(ReadMountTable());
  if (std::none_of(drives.begin(), drives.end(), [](const Drive& d) { return d.mountPoint == "/"; }))
    drives.insert(drives.begin(), Drive{"/", "", ""});
  return drives;
}

std::optional<size_t> DriveOfFolder(const std::vector<Drive>& drives, const fs::path& folder) {
  const std::string path = folder.lexically_normal().native();
  std::optional<size_t> best;
  size_t bestLength = 0;
  for (size_t i = 0; i < drives.size(); ++i) {
    std::string point = drives[i].mountPoint.native();
    while (point.size() > 1 && point.back() == '/') point.pop_back();
    bool holds =
        point == "/" ? !path.empty() && path.front() == '/' : IsBelow(path, point) || path == point + "/";
    if (holds && (!best || point.size() > bestLength)) {
      best = i;
      bestLength = point.size();
    }
  }
  return best;
}

std::string DriveCaption(const Drive& drive) {
  std::string caption = DisplayName(drive.mountPoint);
  if (!drive.device.empty()) caption += " [" + DisplayName(fs::path(drive.device)) + "]";
  return caption;
}

}  // namespace hozanki
