#pragma once
// Where the audio and video bytes of a media file lie, read from its
// structure (never from its name): the check a tag write makes before it
// starts (does the file add up?) and before the written copy replaces the
// original (is the copy the same kind of file, with the same payload?).
//
//   PayloadMap before, after;
//   if (!MapPayload(type, file, before, &why)) refuse the file (nothing written);
//   ... write the temporary copy ...
//   if (!MapPayload(type, copy, after, &why) || !SamePayload(file, before, copy, after, &why))
//     discard the copy and report `why`;
//
// Mapping the copy checks what was written as strictly as the original (an
// ASF title too long for its 16-bit length, a box that does not fit its
// parent). Only headers and indexes are read when mapping; the comparison
// reads the payload of both files in 1 MiB blocks, so files of hundreds of
// megabytes take no more memory than small ones.
//
// What counts as payload: MP3, the MPEG stream between an ID3v2 tag and APE
// and ID3v1 tags (RMP3: the "data" chunk without an ID3v1 tag at its end;
// a plain stream may become RMP3 and back); APE (Monkey's Audio, WavPack,
// TAK, Musepack), the same around the stream from its magic ("MAC ",
// "wvpk", "tBaK", "MPCK" or "MP+") to the tags at the end; WAV, the "fmt "
// and "data" chunks; AVI, everything but the INFO lists and JUNK chunks of
// the first RIFF part, at the same offsets; VQF, everything after "DATA";
// ASF, everything after the header object; Ogg (Vorbis, Opus, Speex, FLAC),
// the pages after the header packets; MP4, the "mdat" contents; FLAC,
// STREAMINFO and the audio frames after the metadata blocks.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/common/FormatRegistry.h"

namespace hozanki {

struct ByteRange {
  uint64_t offset = 0, length = 0;
  bool operator==(const ByteRange&) const = default;
};

struct PayloadMap {
  FileType type = FileType::Unknown;
  // "MPEG" or "RMP3"; "Vorbis", "Opus", "Speex" or "FLAC" (Ogg); "MAC ",
  // "wvpk", "tBaK", "MPCK" or "MP+" (APE); empty for the other formats.
  std::string variant;
  uint64_t fileSize = 0;
  // Payload bytes in file order. Ogg: one range per audio page (the whole
  // page, header included). MP4: the contents of each "mdat" box.
  std::vector<ByteRange> ranges;
  // MP4 only: the chunk offsets ("stco"/"co64") of every track in order, and
  // the start of the first "mdat" box's data.
  std::vector<uint64_t> chunkOffsets;
  uint64_t mdatDataStart = 0;
};

// Reads the structure of `path` as a file of `type` and fills `map`. False
// with a short reason in `error` when the structure does not add up: a size
// past the end of the file, a count that cannot fit its box, objects that do
// not fill their header, a fragmented MP4, and the like. A file refused here
// must not be written.
bool MapPayload(FileType type, const std::filesystem::path& path, PayloadMap& map, std::string* error);

// True when `after` (mapped as `b`) holds the same payload as `before`
// (mapped as `a`): the same kind of file, the same payload bytes. AVI must
// keep them at the same offsets (it is written in place); Ogg pages may only
// be renumbered (with a valid checksum); Ogg and APE files keep their codec
// (variant); MP4 chunk offsets must have moved by exactly as much as the
// media data they point into.
bool SamePayload(const std::filesystem::path& before, const PayloadMap& a, const std::filesystem::path& after,
                 const PayloadMap& b, std::string* error);

}  // namespace hozanki
