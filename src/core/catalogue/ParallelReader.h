#pragma once
// Reading many files with the format readers on several threads at once.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"

namespace hozanki {

// The layer's file objects are independent, so no process-wide state is set
// here; a format that needs some sets it once, thread-safely, on first use.
// Reads folder / files[i] for every i on `threads` threads and calls `done`
// on the reading thread with the index, the entry (nullopt when the file is
// not listed) and the reason when it is not. Returns when all are read.
using ReadDone =
    std::function<void(size_t index, std::optional<MediaFileEntry>&& entry, const std::string& error)>;
void ReadMediaFiles(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                    unsigned threads, const ReadDone& done);

}  // namespace hozanki
