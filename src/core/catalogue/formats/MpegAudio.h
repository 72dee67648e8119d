#pragma once
// MPEG audio stream facts for the file list: the first frame header (with a
// Xing/Info or VBRI header when present) gives the playing time and the audio
// format text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

struct MpegAudioInfo {
  int version = 1;  // 1, 2, or 25 (MPEG 2.5)
  int layer = 3;
  int bitrate = 0;     // kbit/s of the first frame, or the average for VBR
  int sampleRate = 0;  // Hz
  int channels = 2;
  std::string channelMode;  // "Stereo", "Joint Stereo", "Dual Channel", "Mono"
  bool vbr = false;
  double seconds = 0;
};

// Finds the first valid frame in `head` (bytes from the start of the audio;
// a frame is accepted when the next frame header follows it, or when it is
// the only frame in `head`). `audioSize` is the length of the whole audio
// range, used for the playing time of constant bit-rate streams.
std::optional<MpegAudioInfo> ReadMpegAudio(std::string_view head, uint64_t audioSize);

// True when `head` holds an MPEG audio frame header within its first bytes.
bool LooksLikeMpegAudio(std::string_view head);

// "m:ss (Nsec)" of whole seconds.
std::string PlayingTimeText(double seconds);
// "MPEG-1 Layer 3, 128kbps, 44100Hz, Joint Stereo" (VBR: "VBR 190kbps").
std::string AudioFormatText(const MpegAudioInfo& info);

}  // namespace hozanki
