#pragma once
// A file picked into the list window: the 13 file columns and 42 tag
// columns the list engine reads, filled from a catalogue record, and the
// totals over the picked files.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"

namespace hozanki {

inline constexpr int kPickedFileColumns = 13;
inline constexpr int kPickedTagColumns = 42;

struct PickedFile {
  // F0 通番, F1 folder ending in "/", F2 name, F3 size, F4 time stamp,
  // F5 playing time, F6 format name, F7-F10 the MP3 tag-kind marks,
  // F11 audio format, F12 video format.
  std::array<std::string, kPickedFileColumns> file;
  int64_t seconds = 0;  // kept with F5
  // T0-T27: アーティスト, タイトル, アルバム, トラック№, リリース年, ジャンル,
  // コメント, each merged, ID3v1, ID3v2/RIFF, APE; T28-T34: 作曲者, 著作権,
  // URL, オリジナル, 製作者, ソース/保存名, ソフトウェア; T35-T41: アルバムアーティスト,
  // ディスク№, the four readings (アーティスト, アルバムアーティスト, アルバム,
  // タイトル), 歌詞, for MP3 from the APE row when it is not empty, else ID3v2.
  std::array<std::string, kPickedTagColumns> tag;
};

// The picked-file record of `entry`, listed from `folder` (the loaded
// folder; a trailing "/" is added). A file in a subfolder gets that folder
// in F1 and its bare name in F2. For MP3 the per-tag columns come from the
// ID3v1 row, the ID3v2 row (the RIFF row when the file has a RIFF tag) and
// the APE row; the merged column is the first non-empty of APE, ID3v2/RIFF,
// ID3v1. Other formats fill only the merged columns.
PickedFile MakePickedFile(const MediaFileEntry& entry, std::string_view folder);

// The four totals of the status bar: file count, size (grouped with ","),
// playing time as h:mm:ss and in seconds.
struct ListTotals {
  std::string count = "0";
  std::string size = "0";
  std::string time = "0:00:00";
  std::string seconds = "0";
};

// Numbers the files from 1 (F0) and sums their sizes (F3 without its ",",
// 64-bit; a size that is not a number counts 0) and seconds.
ListTotals UpdateListTotals(std::vector<PickedFile>& files);

// Digits grouped by three with ",": 1234567 -> "1,234,567".
std::string GroupDigits(int64_t value);

}  // namespace hozanki
