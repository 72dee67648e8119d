#pragma once
// The write path under fuzzing: bytes become a media file with a given
// extension, one or two values are set through the public tag-file layer and
// saved, and what is on disk afterwards is checked:
//   - a save that reports success leaves a file that opens again and holds
//     the values;
//   - a save that fails leaves the file byte-identical;
//   - the file never grows by more than the values' size plus a small margin;
//   - nothing but the file is left in its folder.
// Shared by the libFuzzer targets (fuzz_write_*.cpp) and the replay tool the
// sanitizer build runs over the fixtures.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki::fuzz {

// Largest growth a save may cause beyond the values' own bytes (new tag
// headers, frame headers, the padding a new tag gets: 8 KiB for a FLAC file
// whose comments no longer fit, plus the block headers around it).
inline constexpr uint64_t kGrowthMargin = 16384;

// Extension (without the dot) picked by the first byte of a fuzz input from
// `extensions`; the rest of the input is the file.
std::string_view PickExtension(uint8_t selector, const std::vector<std::string_view>& extensions);

// The folder the check of process `pid` works in (a file and whatever the
// save leaves beside it); removed when that process exits normally.
std::filesystem::path WorkFolder(int pid);

// Runs the write check on `bytes` saved as "<temporary folder>/input.<extension>".
// Empty when every invariant holds, else what broke. The process's file size
// limit is set for the save, so a write that runs away raises SIGXFSZ.
std::string CheckWrite(std::string_view bytes, std::string_view extension);

// libFuzzer entry shared by the targets: picks the extension from the first
// byte and traps when an invariant breaks (after printing it).
int FuzzWrite(const uint8_t* data, size_t size, const std::vector<std::string_view>& extensions);

}  // namespace hozanki::fuzz
