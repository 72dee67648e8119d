#include "core/common/IoDepth.h"

#include <sys/vfs.h>

#include <cstdlib>
#include <string_view>

namespace hozanki {

bool IsNetworkFileSystemType(int64_t type) {
  switch (static_cast<uint32_t>(type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x65735546:  // FUSE (sshfs, rclone, ...)
    case 0x01021997:  // 9p
    case 0x00C36400:  // Ceph
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x73757245:  // Coda
    case 0x564C:      // NCP
    case 0x0BD00BD0:  // Lustre
    case 0x47504653:  // GPFS
    case 0x20030528:  // OrangeFS
    case 0x01161970:  // GFS2
    case 0x7461636F:  // OCFS2
    case 0x19830326:  // FhGFS / BeeGFS
      return true;
    default:
      return false;
  }
}

unsigned NetworkIoDepth() {
  const char* text = std::getenv("HOZANKI_IO_DEPTH");
  if (!text || !*text) return kNetworkIoDepth;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 1 || value > 256) return kNetworkIoDepth;
  return static_cast<unsigned>(value);
}

std::optional<int64_t> FileSystemTypeOf(const std::filesystem::path& path) {
  struct statfs st {};
  if (::statfs(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<int64_t>(st.f_type);
}

unsigned IoDepthFor(const std::filesystem::path& folder, unsigned localDepth,
                    const FileSystemTypeProbe& probe) {
  std::optional<int64_t> type = probe ? probe(folder) : std::nullopt;
  if (type && IsNetworkFileSystemType(*type)) return NetworkIoDepth();
  return localDepth;
}

}  // namespace hozanki
