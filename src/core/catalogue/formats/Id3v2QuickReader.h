#pragma once
// A quick reader for the common ID3v2 tag: the values the program
// shows, straight from the frame bytes, without building TagLib frames. It
// gives up (nullopt) on anything it does not read exactly as TagLib does:
// extended headers, compressed, encrypted or per-frame unsynchronised frames,
// data length indicators, TDAT/TIME dates. The caller then lets TagLib parse.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

// Stems in this order: IART INAM IPRD TRACK ICRD IGNR ICMT COMP ICOP URL OART
// ENC2 ISFT, then AART (TPE2) DISC (TPOS) SOAR (TSOP) SOAA (TSO2) SOAL (TSOA)
// SONM (TSOT) LYRC (USLT).
inline constexpr size_t kId3v2StemCount = 20;
inline constexpr std::array<std::string_view, kId3v2StemCount> kId3v2Stems = {
    "IART", "INAM", "IPRD", "TRACK", "ICRD", "IGNR", "ICMT", "COMP", "ICOP", "URL",
    "OART", "ENC2", "ISFT", "AART",  "DISC", "SOAR", "SOAA", "SOAL", "SONM", "LYRC"};
// The frame of each stem ("TDRC" also stands for "TYER").
inline constexpr std::array<std::string_view, kId3v2StemCount> kId3v2StemFrames = {
    "TPE1", "TIT2", "TALB", "TRCK", "TDRC", "TCON", "COMM", "TCOM", "TCOP", "WXXX",
    "TOPE", "TENC", "TSSE", "TPE2", "TPOS", "TSOP", "TSO2", "TSOA", "TSOT", "USLT"};

// `tag` is a complete version 2.3 or 2.4 tag (2.2 converted beforehand).
std::optional<std::array<std::string, kId3v2StemCount>> QuickReadId3v2(std::string_view tag);

// Shared with the TagLib path: a genre field ("17", "(17)") through the
// program's table; other text as it is.
std::string Id3v2GenreField(std::string text);

}  // namespace hozanki
