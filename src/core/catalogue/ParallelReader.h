#pragma once
// Reading many files with the format readers on several threads at once.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"
#include "core/common/FileIdentity.h"

namespace hozanki {

// The layer's file objects are independent, so no process-wide state is set
// here; a format that needs some sets it once, thread-safely, on first use.
// Reads folder / files[i] for every i on `threads` threads and calls `done`
// on the reading thread with the index, the entry (nullopt when the file is
// not listed) and the reason when it is not. Returns when all are read.
// Each file is opened once, by its name in its folder (ReadMediaFileAt);
// with `identities`, (*identities)[i] holds the identity of the file read
// (taken from the same descriptor after its values) when done(i) is called.
using ReadDone =
    std::function<void(size_t index, std::optional<MediaFileEntry>&& entry, const std::string& error)>;
void ReadMediaFiles(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                    unsigned threads, const ReadDone& done,
                    std::vector<std::optional<FileIdentity>>* identities = nullptr);

// The same for a listing handed on as it is read: `done` runs on the reading
// threads with the file's identity (from the descriptor it was read through),
// emit(i) on the calling thread in index order, the readers never more than
// `window` files ahead of it (OrderedParallelFor).
using ReadDoneWithIdentity = std::function<void(size_t index, std::optional<MediaFileEntry>&& entry,
                                                const std::string& error, std::optional<FileIdentity>&& identity)>;
void ReadMediaFilesInOrder(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                           unsigned threads, size_t window, const ReadDoneWithIdentity& done,
                           const std::function<void(size_t)>& emit);

}  // namespace hozanki
