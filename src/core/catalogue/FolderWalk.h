#pragma once
// The files of a folder in the order the loader lists them: the folder's
// files sorted by name (case-insensitively), then, when recursive, each
// subfolder's the same way, subfolders also sorted by name.

#include <filesystem>
#include <vector>

namespace hozanki {

// Paths relative to `folder`. Hidden entries are included; a folder reached
// twice (through a link loop) is walked once. Unreadable folders are skipped.
std::vector<std::filesystem::path> ListFolderFiles(const std::filesystem::path& folder, bool recursive);

// Name order of the loader: ASCII case ignored, then the raw bytes.
bool FolderNameLess(const std::string& a, const std::string& b);

}  // namespace hozanki
