#pragma once
// The eight formats (file pages) and eleven tag kinds (tag pages), in page
// order, with the value names each tag table shows.

#include <array>
#include <span>
#include <string_view>

namespace hozanki {

// File pages of the main window, in order.
enum class MediaFormat { MP3 = 0, WAV, AVI, VQF, WMA, OGG, APE, MP4 };
inline constexpr int kFormatCount = 8;

// Tag pages, in order. Tag page = file page + 3 for the formats after MP3.
enum class TagKind { MP3ID3v1 = 0, MP3ID3v2, MP3RIFF, MP3APE, WAV, AVI, VQF, WMA, OGG, APE, MP4 };
inline constexpr int kTagKindCount = 11;

// Type codes of the tag library layer.
enum class FileType { Unknown = 0, MP3 = 1, WAV = 2, AVI = 3, VQF = 4, WMA = 5, OGG = 7, APE = 8, MP4 = 9 };

// "MP3", "WAV", ... (also the settings key parts "CFMP3-1" ...).
std::string_view FormatName(MediaFormat format);
// Settings key part of a tag table: "MP1", "MP2", "MPR", "MPA", "WAV", ...
std::string_view TagKindKey(TagKind kind);
// "ID3v1", "ID3v2", "RIFF", "APE" for the MP3 kinds, the format name otherwise.
std::string_view TagKindName(TagKind kind);

MediaFormat FormatOfType(FileType type);
FileType TypeOfFormat(MediaFormat format);
MediaFormat FormatOfTagKind(TagKind kind);
// The tag kinds of a format: four for MP3, one otherwise.
std::span<const TagKind> TagKindsOf(MediaFormat format);

// Value names of a tag table in cell order 1..n (cell 0 is the relative path).
// MP4's pairs are one cell each, named "TRACK" and "DISC" here; the layer reads
// and writes them as "TRACK1"/"TRACK2" and "DISC1"/"DISC2".
std::span<const std::string_view> ValueNamesOf(TagKind kind);

// Number of cells of a file row (sub-items 0..n): MP3 9, AVI/WMA/MP4 6, others 5.
int FileCellCount(MediaFormat format);

}  // namespace hozanki
