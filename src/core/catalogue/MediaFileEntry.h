#pragma once
// A listed file: its file row and its tag rows (one per tag kind of its
// format). Each format keeps one ordered vector of entries; the file list and
// every tag table of the format are views over that vector, so row i of all of
// them is the same file by construction.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/common/FormatRegistry.h"

namespace hozanki {

// A cell: its text and the integer kept beside it (the playing time's seconds
// in the file row; the changed flag, 0 or 1, in a tag row).
struct Cell {
  std::string text;
  int value = 0;
};

// Row images (drawn in column 0).
inline constexpr int kNoMark = -1;
inline constexpr int kChangedMark = 3;
inline constexpr int kErrorMark = 4;

// Check states of a tag row.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kUnavailable = 2;

// File-row cells: 0 name, 1 size text, 2 time stamp, 3 playing time (value =
// seconds), then for MP3 4 ID3v1 version, 5 ID3v2 version, 6 RIFF mark,
// 7 APE version, 8 audio format; for WAV/VQF/OGG/APE 4 audio format; for
// AVI/WMA/MP4 4 audio format, 5 video format.
struct FileRow {
  int image = kNoMark;
  std::vector<Cell> cells;
};

// Tag-row cells: 0 relative folder + name ("A/B/song.mp3"), 1..n the values
// of ValueNamesOf(kind) (value = changed flag).
struct TagRow {
  int image = kNoMark;
  int state = kUnchecked;
  std::vector<Cell> cells;
};

// What a file was when its values were read: the stat taken just before
// the read, and the moment of that stat. A file whose device, inode, size
// and change time are still these holds the values read then, provided its
// change time lay well before the read: a write after the read then shows as
// a later change time even where the file system's clock is coarse (a change
// time within a tick of the read could be shared by a write right after it).
struct ReadStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t changed = 0;  // change time, nanoseconds since the epoch
  int64_t taken = 0;    // when the stat was taken, same clock; 0: no stamp
  static constexpr int64_t kSettled = 3'000'000'000;  // more than any clock step of a file system

  bool Settled() const { return taken != 0 && taken - changed > kSettled; }
};

// The text a tag cell held before a change was first staged in it: the value
// as read (an unchanged cell holds the value read).
struct StoredCell {
  uint8_t tag = 0;   // index into MediaFileEntry::tags
  uint8_t cell = 0;  // sub-item
  std::string text;
};

struct MediaFileEntry {
  MediaFormat format = MediaFormat::MP3;
  // Path below the loaded folder as raw bytes ("A/B/song.mp3"); the cells
  // hold its display form (decoded as code page 932 when not UTF-8).
  std::filesystem::path relativePath;
  uint64_t size = 0;        // bytes, 64-bit
  int64_t modified = 0;     // last-write time, seconds since the epoch
  FileRow file;
  std::vector<TagRow> tags;  // TagKindsOf(format), in order
  // The next write stores text in the Unicode form of each tag that has one,
  // whatever the "Unicode" and "Unsync" options say: ID3v2 frames as UTF-16
  // without unsynchronisation, RIFF INFO text as UTF-8 (set by the encoding
  // repair; cleared when the file is read again).
  bool forceUnicode = false;
  std::string sortKey;       // temporary key while sorting
  ReadStamp stamp;
  // The values as read of the cells with a staged change (see KeepStoredValue).
  std::vector<StoredCell> storedCells;
};

// About to stage a change in cell `cell` of tag row `tag`: while the cell is
// unchanged, its text is the value read, kept for undo.
inline void KeepStoredValue(MediaFileEntry& entry, size_t tag, size_t cell) {
  const Cell& current = entry.tags[tag].cells[cell];
  if (current.value != 0) return;
  for (StoredCell& s : entry.storedCells)
    if (s.tag == tag && s.cell == cell) {
      s.text = current.text;
      return;
    }
  entry.storedCells.push_back(StoredCell{static_cast<uint8_t>(tag), static_cast<uint8_t>(cell), current.text});
}

// The kept value of a cell, or nullptr.
inline const std::string* StoredValueOf(const MediaFileEntry& entry, size_t tag, size_t cell) {
  for (const StoredCell& s : entry.storedCells)
    if (s.tag == tag && s.cell == cell) return &s.text;
  return nullptr;
}

}  // namespace hozanki
