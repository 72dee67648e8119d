#pragma once
// The room of a rendered ID3v2 tag: how much of it is frames, the tag
// padded with zeros to fill a given space, and the padding a tag written
// anew gets. Shared by every file that carries an ID3v2 tag (MP3 in front
// of the audio, AIFF in its "ID3 " chunk, DSF at its end).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hozanki {

// A rendered ID3v2 tag without the zero bytes at its end (padding, and
// perhaps the last frame's terminator, which the padding gives back), but
// never shorter than its last frame: zeros at the end of a picture's data
// are the frame's, and the size in its header counts them.
size_t Id3v2UsedSize(std::string_view tag);

bool HasId3v2Footer(std::string_view tag);

// `tag` padded with zeros to exactly `space` bytes; empty when it does not
// fit (or has a footer, which allows no padding).
std::string FitId3v2(std::string_view tag, uint64_t space);

// Padding of a tag written anew: at least 2 KiB of room (a dozen more
// fields, or a long comment in UTF-16, fit the next time in place), and the
// size a multiple of 4 KiB, so that an MP3's audio starts on a 4 KiB
// boundary and an in-place write covers whole file-system blocks and never
// shares one with the audio.
std::string PadNewId3v2(const std::string& tag);

// The MP3 page's ID3v2 save options, which every ID3v2 page shares: the
// Unicode and unsynchronisation switches (-1 until set) and the version
// (0 until set). An option of another name, or a value out of its range,
// leaves them as they are.
struct Id3v2SaveOptions {
  int unicode = -1, unsync = -1, version = 0;
  void Set(std::string_view name, std::string_view value);
};

}  // namespace hozanki
