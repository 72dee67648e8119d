#pragma once
// Writing files so that a crash leaves either the old or the new content.

#include <filesystem>
#include <string>
#include <string_view>

namespace hozanki {

// Writes `bytes` to a temporary file beside `target` (`temporary`, or
// target + ".tmp~" when empty), flushes it to disk and renames it over
// `target`. The permissions of an existing target are kept. On failure the
// target is untouched, the temporary file removed and `error` says why.
bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes,
                     std::string* error = nullptr,
                     const std::filesystem::path& temporary = {});

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

// Renames `from` to `to` without ever replacing an existing `to`.
// False (and `to` untouched) when `to` exists or the rename fails.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string* error = nullptr);

}  // namespace hozanki
