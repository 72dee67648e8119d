#pragma once
// The format readers: fill a MediaFileEntry (file row and tag rows) from a
// media file through the tag library layer, for a newly found file and for a
// file read again.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/catalogue/MediaFileEntry.h"
#include "core/common/FileIdentity.h"

namespace hozanki {

class TagFile;

// Reads folder / relativePath. Nullopt when the file is not listed: not a
// supported type, its bytes do not match its extension, or it cannot be read
// (`error`, when given, then says why).
// The file is opened once (its size and time stamp come from that
// descriptor, and the format reader opens the same file again through it,
// not through its path); `identity`, when given, gets the identity of the
// file read, taken from that descriptor after the values.
std::optional<MediaFileEntry> ReadMediaFile(const std::filesystem::path& folder,
                                            const std::filesystem::path& relativePath,
                                            std::string* error = nullptr,
                                            std::optional<FileIdentity>* identity = nullptr);
// The same with the file opened as `name` in the folder `folderFd` holds
// open: one look-up on a network file system, where a path costs one per
// folder in it. (`folder` / `relativePath` is the file's path for messages.)
std::optional<MediaFileEntry> ReadMediaFileAt(int folderFd, const std::filesystem::path& name,
                                              const std::filesystem::path& folder,
                                              const std::filesystem::path& relativePath, std::string* error = nullptr,
                                              std::optional<FileIdentity>* identity = nullptr);

// The reader's steps for a loaded file (size and time stamp given).
MediaFileEntry EntryFromTagFile(const TagFile& file, const std::filesystem::path& relativePath, uint64_t size,
                                int64_t modified);

// Reads the entry's file again into its rows: name, size and time stamp are
// refreshed, marks and changed flags cleared, check states and values read
// anew; values of MP3 tag kinds the file no longer carries are left as they
// were. False (entry untouched) when the file can no longer be read as the
// entry's format.
bool RereadMediaFile(const std::filesystem::path& folder, MediaFileEntry& entry);

// Texts of the file row.
std::string SizeText(uint64_t size);                   // "1,234,567"
std::string TimeStampText(int64_t secondsSinceEpoch);  // "yyyy/mm/dd hh:mm:ss", local time
// A file name or relative path for display: UTF-8 as it is, else code page 932.
std::string DisplayPath(const std::filesystem::path& path);

// The playing-time cell from a "TIME" text: the text before its first blank,
// and the whole seconds in "(Nsec)" (0 when there are none).
Cell PlayingTimeCell(std::string_view timeText);
// MP4's playing-time cell from its "AFMT" text ("AAC, 245.621sec, ...").
Cell Mp4PlayingTimeCell(std::string_view audioFormat);

}  // namespace hozanki
