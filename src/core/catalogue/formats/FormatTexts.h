#pragma once
// The "TIME", "AFMT" and "VFMT" texts of the tag library layer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

// "m:ss (Nsec)" of whole seconds, e.g. "4:05 (245sec)".
std::string TimeText(int64_t seconds);

// Whole seconds of a duration worked out from header fields: 0 when it is not
// a finite positive number, capped far below where int64_t would overflow.
int64_t WholeSeconds(double seconds);

// "codec, 128kbps, 44100Hz, 16bit, 2ch"; parts that are 0 are left out.
std::string AudioFormatText(std::string_view codec, int kbps, int sampleRate, int bits, int channels);

// "codec, 320x240, 29.97fps"; parts that are 0 are left out.
std::string VideoFormatText(std::string_view codec, int width, int height, double fps);

// A FourCC as text: printable characters kept, trailing blanks and NULs cut,
// others as "?"; "0x%08X" style when nothing printable is left.
std::string FourCcText(std::string_view fourcc);

// Name of a WAVEFORMATEX format tag ("PCM", "MP3", ...; "0x1234" otherwise).
std::string WaveFormatName(unsigned formatTag);

// Joins the texts of a multi-valued field with "; " (empty texts left out).
std::string JoinValues(const std::vector<std::string>& texts);

// The disc cell's two parts ("DISC1", "DISC2") from Vorbis comments'
// DISCNUMBER and DISCTOTAL: a number "1/2" with no total gives both parts,
// a total with no number gives the number "0" (the cell shows "0/2"), so
// that a cell left as it was reads back the same and nothing is written.
void SplitVorbisDisc(std::string& number, std::string& total);

}  // namespace hozanki
