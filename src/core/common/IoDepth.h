#pragma once
// How many file requests to keep in flight at once. On a local disk a
// request costs processor time, so the readers run one per core (or as the
// caller asks); on a network or user-space file system every look-up, open
// and read waits for a round trip, so many are kept in flight instead.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace hozanki {

// The number of requests kept in flight on a network file system unless
// HOZANKI_IO_DEPTH (1 to 256) says otherwise.
inline constexpr unsigned kNetworkIoDepth = 32;

// Whether `type` (statfs f_type) names a file system whose requests are
// round trips: NFS, SMB/CIFS, FUSE, 9p, Ceph, AFS and the like.
bool IsNetworkFileSystemType(int64_t type);

// The depth used on a network file system: HOZANKI_IO_DEPTH when it holds a
// number from 1 to 256, else kNetworkIoDepth.
unsigned NetworkIoDepth();

// The file system type of a path (statfs f_type); nullopt when it cannot be
// told. Tests put in their own.
using FileSystemTypeProbe = std::function<std::optional<int64_t>(const std::filesystem::path&)>;
std::optional<int64_t> FileSystemTypeOf(const std::filesystem::path& path);

// The depth for reading below `folder`: NetworkIoDepth() on a network file
// system, else `localDepth` unchanged (also when the type cannot be told).
unsigned IoDepthFor(const std::filesystem::path& folder, unsigned localDepth,
                    const FileSystemTypeProbe& probe = FileSystemTypeOf);

}  // namespace hozanki
