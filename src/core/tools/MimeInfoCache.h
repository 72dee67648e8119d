#pragma once
// The "mimeinfo.cache" of an applications folder: which desktop entries of
// the folder open which media types. Desktops read it instead of every
// entry; an entry that is not in the cache is not offered for a file. The
// desktop's own tool (update-desktop-database) writes it when installed;
// this is the same text for when it is not.

#include <filesystem>
#include <string>

namespace hozanki {

inline constexpr const char* kMimeInfoCacheName = "mimeinfo.cache";

// The cache text of the entries in `folder` and its subfolders (an entry in
// "sub/x.desktop" has the id "sub-x.desktop"): "[MIME Cache]", then one line
// per media type, "type=id;id;", types and ids in byte order. Entries marked
// Hidden=true, and the MimeType of groups other than [Desktop Entry], count
// for nothing.
std::string MimeInfoCacheText(const std::filesystem::path& folder);

// Writes that text to `folder`/mimeinfo.cache (atomically). False when it
// cannot be written.
bool WriteMimeInfoCache(const std::filesystem::path& folder, std::string* error = nullptr);

}  // namespace hozanki
