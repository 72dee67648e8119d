#pragma once
// A quick reader for the common ID3v2 tag: the thirteen values the program
// shows, straight from the frame bytes, without building TagLib frames. It
// gives up (nullopt) on anything it does not read exactly as TagLib does:
// extended headers, compressed, encrypted or per-frame unsynchronised frames,
// data length indicators, TDAT/TIME dates. The caller then lets TagLib parse.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace hozanki {

// Stems in this order: IART INAM IPRD TRACK ICRD IGNR ICMT COMP ICOP URL OART ENC2 ISFT.
inline constexpr std::array<std::string_view, 13> kId3v2Stems = {
    "IART", "INAM", "IPRD", "TRACK", "ICRD", "IGNR", "ICMT", "COMP", "ICOP", "URL", "OART", "ENC2", "ISFT"};

// `tag` is a complete version 2.3 or 2.4 tag (2.2 converted beforehand).
std::optional<std::array<std::string, 13>> QuickReadId3v2(std::string_view tag);

// Shared with the TagLib path: a genre field ("17", "(17)") through the
// program's table; other text as it is.
std::string Id3v2GenreField(std::string text);

}  // namespace hozanki
